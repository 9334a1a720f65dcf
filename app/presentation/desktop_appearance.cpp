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
#include <QScreen>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <utility>

namespace pelorin {

using namespace Qt::StringLiterals;

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

// The size of the application font on a desktop left as it came, in
// pixels: 10 points at 96 dots per inch. Qt's own fallback, with no desktop
// settings at all, is smaller still.
constexpr double usualFontPixels = 10 * 96 / 72.0;

// How much larger than usual the application font is on screen, never less
// than 1. Measured in pixels, so that a desktop's forced font resolution
// (KDE's, Xft.dpi) counts where Qt does not make it a scale of the whole
// window.
double applicationFontScale()
{
    const QFont font = QGuiApplication::font();
    double pixels = font.pixelSize();
    if (pixels <= 0) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        pixels = font.pointSizeF() * (screen ? screen->logicalDotsPerInchY() : 96.0) / 72;
    }
    return std::max(1.0, pixels / usualFontPixels);
}

// Whether the desktop's own text size is GNOME's text-scaling-factor, which
// the portal hands on: GNOME itself (Ubuntu's, Classic and Flashback
// included), Unity, Budgie and Pantheon. Elsewhere (XFCE, MATE, KDE, sway)
// a portal that answers at all answers GNOME's default, whatever size the
// desktop was set to.
bool portalKnowsTextSize()
{
    static const QStringList desktops{u"gnome"_s, u"unity"_s, u"budgie"_s, u"pantheon"_s};
    const QStringList current = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(u':');
    return std::ranges::any_of(current, [](const QString &desktop) {
        return std::ranges::any_of(desktops, [&desktop](const QString &known) {
            return desktop == known || desktop.startsWith(known + u'-');
        });
    });
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
    : QObject(view), m_view(dynamic_cast<orbel::EnvironmentAware *>(view)), m_bus(std::move(bus)),
      m_textScaleFromPortal(portalKnowsTextSize())
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
        if (m_textScaleFromPortal)
            read(gnomeInterfaceGroup, textScalingKey);
    }
    // The portal's answer is awaited at the size the screen was made at,
    // rather than the font's for a moment.
    m_awaitsTextScale = m_textScaleFromPortal && m_bus.isConnected();
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
        else if (key == textScalingKey)
            apply(group, key, QVariant());
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
    } else if (group == gnomeInterfaceGroup && key == textScalingKey && m_textScaleFromPortal) {
        bool valid = false;
        const double scale = value.toDouble(&valid);
        m_portalTextScale = valid && scale > 0 ? std::optional(scale) : std::nullopt;
        m_awaitsTextScale = false;
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
    if (!m_awaitsTextScale)
        environment.textSize = orbel::textSizeForScale(m_portalTextScale.value_or(applicationFontScale()));
    m_view->setEnvironment(environment);
}

} // namespace pelorin
