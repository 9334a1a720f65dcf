#include "pelorin_preferences.h"

#include <QFile>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QStringDecoder>

#include <optional>

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {

const QString armedKey = u"armed"_s;
const QString seenWelcomeKey = u"seenWelcome"_s;

// QSettings reads almost anything as an INI file without a word: binary
// garbage, JSON or lines without '=' come back as no keys or are skipped, and
// the next write would replace the whole file with our two keys. So a file is
// trusted with writes only when every line of it is one QSettings understands
// and keeps: blank, a comment, a [section] or key=value, in UTF-8.
bool isSoundIniFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.contains('\0'))
        return false;
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(bytes);
    if (decode.hasError())
        return false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u';') || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']'))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0 || line.first(equals).trimmed().isEmpty())
            return false;
    }
    return true;
}

// A stored Boolean: what QSettings wrote for a bool ("true" or "false" in the
// file), or a bool still in its cache. Anything else is not a Boolean.
std::optional<bool> storedBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        if (text.compare("true"_L1, Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare("false"_L1, Qt::CaseInsensitive) == 0)
            return false;
    }
    return std::nullopt;
}

} // namespace

PelorinPreferences::PelorinPreferences(const QString &settingsPath, bool isSnapshot,
                                       std::unique_ptr<LoginItemService> login, QObject *parent)
    : QObject(parent), m_login(std::move(login)), m_isSnapshot(isSnapshot)
{
    if (m_isSnapshot)
        return;

    // A file we can't read or understand keeps the defaults and is never
    // written this session: the user's file is not replaced by ours.
    if (!isSoundIniFile(settingsPath))
        return;
    auto settings = std::make_unique<QSettings>(settingsPath, QSettings::IniFormat);
    if (settings->status() != QSettings::NoError)
        return;
    m_settings = std::move(settings);
    m_settingsWritable = true;
    m_hasSeenWelcome = storedBool(m_settings->value(seenWelcomeKey)).value_or(false);
    m_armed = storedBool(m_settings->value(armedKey)).value_or(true);
}

PelorinPreferences::~PelorinPreferences() = default;

QString PelorinPreferences::defaultSettingsPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Pelorin/Pelorin.conf"_L1;
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

void PelorinPreferences::stageArmed(bool armed)
{
    storeArmed(armed);
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
    } catch (...) {
        // Shown by the switches through loginFailed; no message.
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
    if (m_isSnapshot || !m_settings || !m_settingsWritable)
        return;
    m_settings->setValue(key, value);
    // At once, so a kill or a crash later loses nothing. A failure to write
    // has nowhere to show and is dropped.
    m_settings->sync();
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
