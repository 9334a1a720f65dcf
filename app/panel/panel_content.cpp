#include "panel_content.h"

#include "app_model.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QPointer>

#include <optional>
#include <utility>

namespace pelorin {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceGroup = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
const QString reducedMotionKey = QStringLiteral("reduced-motion");
const QString gnomeInterfaceGroup = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

// The portal's Read wraps the value in one variant more than it declares.
QVariant unwrap(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

// Keeps a panel in the desktop's colour scheme and animation setting. The
// desktop portal's settings say whether the user prefers a dark or a light
// appearance and whether animations are wanted; where the portal has no
// preference (or there is no portal) the application palette decides the
// scheme. Every answer arrives asynchronously and nothing waits for it.
class DesktopAppearance : public QObject {
    Q_OBJECT

public:
    explicit DesktopAppearance(MenuView *view) : QObject(view), m_view(view)
    {
        view->installEventFilter(this);
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected()) {
            bus.connect(portalService, portalPath, portalSettings, QStringLiteral("SettingChanged"), this,
                        SLOT(settingChanged(QString, QString, QDBusVariant)));
            read(appearanceGroup, colorSchemeKey);
            read(appearanceGroup, reducedMotionKey);
            read(gnomeInterfaceGroup, animationsKey);
        }
        update();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Compared as plain objects: the view may be part way through its
        // own destruction when the last events reach it.
        if (watched == static_cast<QObject *>(parent()) &&
            (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange))
            update();
        return QObject::eventFilter(watched, event);
    }

private Q_SLOTS:
    void settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
    {
        apply(group, key, unwrap(value.variant()));
    }

private:
    void read(const QString &group, const QString &key)
    {
        QDBusMessage call =
            QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, QStringLiteral("Read"));
        call << group << key;
        auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, group, key](QDBusPendingCallWatcher *w) {
            const QDBusPendingReply<QDBusVariant> reply = *w;
            if (!reply.isError())
                apply(group, key, unwrap(reply.argumentAt<0>().variant()));
            w->deleteLater();
        });
    }

    void apply(const QString &group, const QString &key, const QVariant &value)
    {
        if (group == appearanceGroup && key == colorSchemeKey) {
            // 1 prefers dark, 2 prefers light, anything else no preference.
            const uint preference = value.toUInt();
            m_portalDark = preference == 1   ? std::optional(true)
                           : preference == 2 ? std::optional(false)
                                             : std::nullopt;
        } else if (group == appearanceGroup && key == reducedMotionKey) {
            m_reducedMotion = value.toUInt() == 1;
        } else if (group == gnomeInterfaceGroup && key == animationsKey) {
            m_animationsOff = !value.toBool();
        } else {
            return;
        }
        update();
    }

    void update()
    {
        const bool dark = m_portalDark.value_or(QGuiApplication::palette().color(QPalette::Window).lightness() < 128);
        orbel::OrbelEnvironment environment = m_view->environment();
        environment.scheme = dark ? orbel::ColorScheme::Dark : orbel::ColorScheme::Light;
        environment.reduceMotion = m_reducedMotion || m_animationsOff;
        m_view->setEnvironment(environment);
    }

    // The parent: it outlives this object.
    MenuView *m_view;
    std::optional<bool> m_portalDark;
    bool m_reducedMotion = false;
    bool m_animationsOff = false;
};

MenuView *makePanelContent(AppModel &model, PanelContentOptions options)
{
    auto *view = new MenuView(model, options.environment, options.locale, options.panelHeight);
    view->setQuit(std::move(options.quit));
    // Getting Started and Preferences open the welcome and preferences
    // windows; until the program has those, the buttons do nothing.
    view->setShowGuide(std::move(options.showGuide));
    view->setShowPreferences(std::move(options.showPreferences));
    view->setReportsVisibility(options.reportsVisibility);
    if (options.followsDesktop)
        new DesktopAppearance(view);
    return view;
}

MenuView *makePanelContent(AppModel &model, std::function<void()> quit)
{
    PanelContentOptions options;
    // A staged model is drawn offscreen by a host that reports nothing and
    // must reach no desktop service.
    options.followsDesktop = !model.isSnapshot();
    options.reportsVisibility = model.isSnapshot();
    options.quit = std::move(quit);
    return makePanelContent(model, std::move(options));
}

} // namespace pelorin

#include "panel_content.moc"
