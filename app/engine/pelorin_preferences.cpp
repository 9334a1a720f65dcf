#include "pelorin_preferences.h"

#include "login_item_log.h"
#include "settings_file.h"
#include "xdg_folders.h"

#include <QPointer>

#include <exception>
#include <optional>

namespace pelorin {

using namespace Qt::StringLiterals;

Q_LOGGING_CATEGORY(lcPreferences, "preferences")

namespace {

const QString armedKey = u"armed"_s;
const QString seenWelcomeKey = u"seenWelcome"_s;

} // namespace

PelorinPreferences::PelorinPreferences(const QString &settingsPath, bool isSnapshot,
                                       std::unique_ptr<LoginItemService> login, QObject *parent)
    : QObject(parent), m_settingsPath(settingsPath), m_login(std::move(login)), m_isSnapshot(isSnapshot)
{
    if (m_isSnapshot)
        return;
    if (m_settingsPath.isEmpty()) {
        qCWarning(lcPreferences, "no configuration folder (neither XDG_CONFIG_HOME nor HOME is an absolute path): "
                                 "settings are kept for this session only");
        return;
    }
    // A file we can't read is never written over: the defaults hold, and
    // changes last for this session only.
    const SettingsFile file = SettingsFile::read(m_settingsPath);
    if (!file.isReadable()) {
        qCWarning(lcPreferences, "settings could not be read, and are kept for this session only: %s",
                  qUtf8Printable(file.error()));
        return;
    }
    m_settingsWritable = true;
    m_hasSeenWelcome = file.boolValue(seenWelcomeKey).value_or(false);
    m_armed = file.boolValue(armedKey).value_or(true);
}

PelorinPreferences::~PelorinPreferences() = default;

QString PelorinPreferences::defaultSettingsPath()
{
    const QString configHome = orbel::XdgFolders::configHome();
    return configHome.isEmpty() ? QString() : configHome + "/Pelorin/Pelorin.conf"_L1;
}

void PelorinPreferences::setOnDisarm(std::function<void()> onDisarm)
{
    m_onDisarm = onDisarm ? std::move(onDisarm) : [] {};
}

void PelorinPreferences::setArmed(bool armed)
{
    storeArmed(armed);
    write(armedKey, armed);
    if (!armed) {
        // A copy, so the callback may replace itself.
        const auto onDisarm = m_onDisarm;
        onDisarm();
    }
}

void PelorinPreferences::markWelcomeSeen()
{
    setHasSeenWelcome(true);
    write(seenWelcomeKey, true);
}

void PelorinPreferences::refreshLoginState()
{
    if (m_isSnapshot || !m_login)
        return;
    setLoginState(m_login->status());
}

void PelorinPreferences::setOpenAtLogin(bool enabled)
{
    if (m_isSnapshot || m_loginBusy || !m_login)
        return;
    setLoginBusy(true);
    // Runs at once up to its first wait; the task finishes on its own.
    changeLoginItem(enabled);
}

void PelorinPreferences::openLoginSettings()
{
    if (m_isSnapshot || !m_login)
        return;
    m_login->openSettings();
}

QCoro::Task<> PelorinPreferences::changeLoginItem(bool enabled)
{
    const QPointer<PelorinPreferences> self(this);
    bool failed = false;
    try {
        co_await m_login->setEnabled(enabled);
    } catch (const std::exception &error) {
        // Shown by the switches through loginFailed, and the reason logged
        // once, in the login item's own log.
        orbel::logLoginItemChangeFailed(QString::fromUtf8(error.what()));
        failed = true;
    } catch (...) {
        orbel::logLoginItemChangeFailed(u"an unknown error"_s);
        failed = true;
    }
    if (!self)
        co_return;
    setLoginFailed(failed);
    // A change that went through can still leave the item waiting for
    // approval, and one that failed may have changed something: show what the
    // desktop reports now.
    setLoginState(m_login->status());
    setLoginBusy(false);
}

void PelorinPreferences::write(const QString &key, bool value)
{
    if (m_isSnapshot || !m_settingsWritable)
        return;
    // Read afresh, so what someone else changed meanwhile stays, and written
    // at once, so a kill or a crash later loses nothing. A failure leaves the
    // change in effect for this session.
    SettingsFile file = SettingsFile::read(m_settingsPath);
    if (!file.isReadable()) {
        qCWarning(lcPreferences, "settings could not be read, so \"%s\" is kept for this session only: %s",
                  qUtf8Printable(key), qUtf8Printable(file.error()));
        return;
    }
    file.setValue(key, value ? u"true"_s : u"false"_s);
    if (const std::optional<QString> error = file.write(m_settingsPath))
        qCWarning(lcPreferences, "settings could not be written, so \"%s\" is kept for this session only: %s",
                  qUtf8Printable(key), qUtf8Printable(*error));
}

void PelorinPreferences::storeArmed(bool armed)
{
    if (m_armed == armed)
        return;
    m_armed = armed;
    Q_EMIT armedChanged(armed);
}

void PelorinPreferences::setHasSeenWelcome(bool seen)
{
    if (m_hasSeenWelcome == seen)
        return;
    m_hasSeenWelcome = seen;
    Q_EMIT hasSeenWelcomeChanged(seen);
}

void PelorinPreferences::setLoginState(LoginItemState state)
{
    if (m_loginState == state)
        return;
    const bool opened = opensAtLogin();
    m_loginState = state;
    Q_EMIT loginStateChanged(state);
    if (opensAtLogin() != opened)
        Q_EMIT opensAtLoginChanged(opensAtLogin());
}

void PelorinPreferences::setLoginFailed(bool failed)
{
    if (m_loginFailed == failed)
        return;
    m_loginFailed = failed;
    Q_EMIT loginFailedChanged(failed);
}

void PelorinPreferences::setLoginBusy(bool busy)
{
    if (m_loginBusy == busy)
        return;
    m_loginBusy = busy;
    Q_EMIT loginBusyChanged(busy);
}

} // namespace pelorin
