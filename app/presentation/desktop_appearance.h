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

// Keeps a screen in the desktop's colour scheme, animation setting and text
// size. The desktop portal's settings say whether the user prefers a dark or
// a light appearance, whether animations are wanted and, on GNOME-like
// desktops (by XDG_CURRENT_DESKTOP), how much larger than usual text should
// be; where the portal has no answer (or there is no portal) the application
// palette decides the scheme. On other desktops, and where the portal has no
// text scale, the application font decides the text size: its pixel size
// against the usual 10 points at 96 dots per inch, never smaller than the
// everyday size. Every answer arrives asynchronously and nothing waits for
// it: the screen keeps the text size it was made with until the portal's
// text scale comes or fails to. Changes are followed while the screen is
// open.
//
// The screen owns it: `view` must be a kit widget (orbel::EnvironmentAware),
// whose environment it sets from then on, keeping the tint and the rest as
// they are. `bus` is where the portal is asked; a bus that is not connected
// leaves the palette and the font to decide.
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
    // Whether the portal's text scale is the desktop's, and it has not yet
    // answered; its answer, absent where it has none.
    bool m_textScaleFromPortal;
    bool m_awaitsTextScale = false;
    std::optional<double> m_portalTextScale;
    bool m_reducedMotion = false;
    bool m_animationsOff = false;
};

} // namespace pelorin
