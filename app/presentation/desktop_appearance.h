#pragma once

#include <QDBusConnection>
#include <QObject>

#include <optional>

class QDBusVariant;
class QWidget;

namespace orbel {
class EnvironmentAware;
}

namespace pelorin {

// Keeps a screen in the desktop's colour scheme and animation setting. The
// desktop portal's settings say whether the user prefers a dark or a light
// appearance and whether animations are wanted; where the portal has no
// preference (or there is no portal) the application palette decides the
// scheme. Every answer arrives asynchronously and nothing waits for it.
//
// The screen owns it: `view` must be a kit widget (orbel::EnvironmentAware),
// whose environment it sets from then on, keeping the text size, the tint and
// the rest as they are. `bus` is where the portal is asked; a bus that is not
// connected leaves the palette to decide.
class DesktopAppearance : public QObject {
    Q_OBJECT

public:
    explicit DesktopAppearance(QWidget *view, QDBusConnection bus = QDBusConnection::sessionBus());

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    void read(const QString &group, const QString &key);
    void apply(const QString &group, const QString &key, const QVariant &value);
    void update();

    // The parent, seen as a kit widget: it outlives this object.
    orbel::EnvironmentAware *m_view;
    QDBusConnection m_bus;
    std::optional<bool> m_portalDark;
    bool m_reducedMotion = false;
    bool m_animationsOff = false;
};

} // namespace pelorin
