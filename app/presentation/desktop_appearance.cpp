#include "desktop_appearance.h"

#include "orbel_environment.h"
#include "orbel_font.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

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
const QString textScalingKey = QStringLiteral("text-scaling-factor");

// The size of the application font on a desktop left as it came, in points.
// Qt's own fallback, with no desktop settings at all, is smaller still.
constexpr double usualFontPoints = 10;

// How much larger than usual the application font is, never less than 1.
double applicationFontScale()
{
    const QFont font = QGuiApplication::font();
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : font.pixelSize() * 72.0 / 96.0;
    return points > usualFontPoints ? points / usualFontPoints : 1.0;
}

// The portal's Read wraps the value in one variant more than it declares.
QVariant unwrap(QVariant value)
{
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

DesktopAppearance::DesktopAppearance(QWidget *view, QDBusConnection bus)
    : QObject(view), m_view(dynamic_cast<orbel::EnvironmentAware *>(view)), m_bus(std::move(bus))
{
    Q_ASSERT(m_view);
    view->installEventFilter(this);
    if (m_bus.isConnected()) {
        // The slot's QDBusVariant must be known by name before the connection
        // is made; otherwise connect() fails quietly and no change is ever
        // heard.
        qRegisterMetaType<QDBusVariant>();
        m_bus.connect(portalService, portalPath, portalSettings, QStringLiteral("SettingChanged"), this,
                      SLOT(settingChanged(QString, QString, QDBusVariant)));
        read(appearanceGroup, colorSchemeKey);
        read(appearanceGroup, reducedMotionKey);
        read(gnomeInterfaceGroup, animationsKey);
        read(gnomeInterfaceGroup, textScalingKey);
    }
    update();
}

bool DesktopAppearance::eventFilter(QObject *watched, QEvent *event)
{
    // Compared as plain objects: the view may be part way through its own
    // destruction when the last events reach it.
    if (watched == static_cast<QObject *>(parent()) &&
        (event->type() == QEvent::ApplicationPaletteChange || event->type() == QEvent::ThemeChange ||
         event->type() == QEvent::ApplicationFontChange))
        update();
    return QObject::eventFilter(watched, event);
}

void DesktopAppearance::settingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    apply(group, key, unwrap(value.variant()));
}

void DesktopAppearance::read(const QString &group, const QString &key)
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, QStringLiteral("Read"));
    call << group << key;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, group, key](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<QDBusVariant> reply = *w;
        if (!reply.isError())
            apply(group, key, unwrap(reply.argumentAt<0>().variant()));
        w->deleteLater();
    });
}

void DesktopAppearance::apply(const QString &group, const QString &key, const QVariant &value)
{
    if (group == appearanceGroup && key == colorSchemeKey) {
        // 1 prefers dark, 2 prefers light, anything else no preference.
        const uint preference = value.toUInt();
        m_portalDark = preference == 1 ? std::optional(true) : preference == 2 ? std::optional(false) : std::nullopt;
    } else if (group == appearanceGroup && key == reducedMotionKey) {
        m_reducedMotion = value.toUInt() == 1;
    } else if (group == gnomeInterfaceGroup && key == animationsKey) {
        m_animationsOff = !value.toBool();
    } else if (group == gnomeInterfaceGroup && key == textScalingKey) {
        bool valid = false;
        const double scale = value.toDouble(&valid);
        m_portalTextScale = valid && scale > 0 ? std::optional(scale) : std::nullopt;
    } else {
        return;
    }
    update();
}

void DesktopAppearance::update()
{
    const bool dark = m_portalDark.value_or(QGuiApplication::palette().color(QPalette::Window).lightness() < 128);
    orbel::OrbelEnvironment environment = m_view->environment();
    environment.scheme = dark ? orbel::ColorScheme::Dark : orbel::ColorScheme::Light;
    environment.reduceMotion = m_reducedMotion || m_animationsOff;
    environment.textSize = orbel::textSizeForScale(m_portalTextScale.value_or(applicationFontScale()));
    m_view->setEnvironment(environment);
}

} // namespace pelorin
