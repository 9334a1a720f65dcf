#pragma once

#include "login_item_service.h"

#include <QCoroTask>
#include <QLoggingCategory>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace pelorin {

// Settings that could not be read or written, and login item changes that
// failed.
Q_DECLARE_LOGGING_CATEGORY(lcPreferences)

// The utility's few settings: the armed master switch and whether the welcome
// window has been seen, both kept in the user's settings file, and the state of
// "Open at Login", which is the desktop's own record read through the login
// item service. Main thread only.
//
// A snapshot run (isSnapshot) never opens the settings file, so no file is read
// or created, and never touches the login item.
class PelorinPreferences : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool hasSeenWelcome READ hasSeenWelcome NOTIFY hasSeenWelcomeChanged)
    Q_PROPERTY(pelorin::LoginItemState loginState READ loginState NOTIFY loginStateChanged)
    Q_PROPERTY(bool loginFailed READ loginFailed NOTIFY loginFailedChanged)
    Q_PROPERTY(bool loginBusy READ loginBusy NOTIFY loginBusyChanged)
    Q_PROPERTY(bool armed READ armed WRITE setArmed NOTIFY armedChanged)
    Q_PROPERTY(bool opensAtLogin READ opensAtLogin WRITE setOpenAtLogin NOTIFY opensAtLoginChanged)

public:
    // `settingsPath` is the INI file of the settings (defaultSettingsPath() in
    // the application); it is not opened when `isSnapshot` is true, and empty
    // keeps the settings in memory. `login` may be null only in a snapshot
    // run.
    PelorinPreferences(const QString &settingsPath, bool isSnapshot, std::unique_ptr<LoginItemService> login,
                       QObject *parent = nullptr);
    ~PelorinPreferences() override;

    // $XDG_CONFIG_HOME/Pelorin/Pelorin.conf (~/.config/Pelorin/Pelorin.conf);
    // empty when there is no usable configuration folder.
    static QString defaultSettingsPath();

    bool hasSeenWelcome() const { return m_hasSeenWelcome; }
    LoginItemState loginState() const { return m_loginState; }
    bool loginFailed() const { return m_loginFailed; }
    bool loginBusy() const { return m_loginBusy; }
    bool armed() const { return m_armed; }
    bool isSnapshot() const { return m_isSnapshot; }

    // Called on every write of false to armed, after the value is stored.
    void setOnDisarm(std::function<void()> onDisarm);

    // The master switch. Every call writes the setting (outside snapshot runs),
    // and every call with false calls onDisarm, even when the value is
    // unchanged.
    void setArmed(bool armed);

    // The welcome window has been shown; recorded on every call.
    void markWelcomeSeen();

    // Reads the login item's state again (not in snapshot runs).
    void refreshLoginState();

    bool opensAtLogin() const { return pelorin::opensAtLogin(m_loginState); }
    // Registers or unregisters the login item. Ignored in snapshot runs and
    // while a change is under way; the outcome shows in loginState,
    // loginFailed and loginBusy (loginBusy goes false last).
    void setOpenAtLogin(bool enabled);

    // Opens the desktop's settings for programs started at login (not in
    // snapshot runs).
    void openLoginSettings();

Q_SIGNALS:
    void hasSeenWelcomeChanged(bool hasSeenWelcome);
    void loginStateChanged(pelorin::LoginItemState loginState);
    void loginFailedChanged(bool loginFailed);
    void loginBusyChanged(bool loginBusy);
    void armedChanged(bool armed);
    void opensAtLoginChanged(bool opensAtLogin);

private:
    QCoro::Task<> changeLoginItem(bool enabled);
    void write(const QString &key, bool value);
    void storeArmed(bool armed);
    void setHasSeenWelcome(bool seen);
    void setLoginState(LoginItemState state);
    void setLoginFailed(bool failed);
    void setLoginBusy(bool busy);

    bool m_hasSeenWelcome = false;
    LoginItemState m_loginState = LoginItemState::disabled;
    bool m_loginFailed = false;
    bool m_loginBusy = false;
    std::function<void()> m_onDisarm = [] {};
    bool m_armed = true;
    QString m_settingsPath;
    // False when there is no settings file to use, or the one on disk could
    // not be read as text: the defaults are used, changes last for this
    // session, and the file is left as it is.
    bool m_settingsWritable = false;
    std::unique_ptr<LoginItemService> m_login;
    bool m_isSnapshot = false;
};

} // namespace pelorin
