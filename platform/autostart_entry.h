#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace orbel {

// Where the program stands with the desktop's autostart:
// - disabled: no entry of ours in the user's autostart folder;
// - enabled: our entry, switched on, starting this program or another
//   install of it that is there;
// - requiresApproval: our entry, but switched off in the desktop's own
//   startup settings (Hidden=true or X-GNOME-Autostart-enabled=false), so it
//   waits for the user there;
// - unavailable: no usable configuration folder, or this program's own path
//   is unknown, so there is nothing to register.
enum class AutostartStatus : std::uint8_t { disabled, enabled, requiresApproval, unavailable };

// Why an entry could not be written or removed; what() is the description in
// UTF-8.
class AutostartError : public std::runtime_error {
public:
    explicit AutostartError(const QString &description);
    QString description() const { return QString::fromUtf8(what()); }
};

// What the entry says and where it lives. Empty fields take the defaults noted.
struct AutostartIdentity {
    // The entry's file name without ".desktop", e.g. "org.example.App".
    // Required: without it the status is unavailable.
    QString appId;
    // Name=; defaults to the application name, else the app id.
    QString name;
    // Icon=; defaults to the app id.
    QString iconName;
    // The program the entry starts; defaults to the running program
    // (QCoreApplication::applicationFilePath()).
    QString programPath;
    // The user's configuration folder; defaults to XdgFolders::configHome().
    // The entry goes into its "autostart" subfolder.
    QString configHome;
    // A key of our own, written as "<markKey>=true" into every entry we
    // write: an entry that carries it is ours wherever its Exec points (an
    // older install, a moved binary). Empty: no mark.
    QString markKey;
    // For entries written before the mark: an entry whose Exec starts a
    // program of this file name, in any folder, is ours too. Empty: only an
    // entry that starts this very program is.
    QString programName;
};

// A program to launch, with its arguments.
struct AutostartCommand {
    QString program;
    QStringList arguments;
};

// The user's XDG autostart entry of one program:
// <config home>/autostart/<app id>.desktop. Every call is synchronous and
// reads or writes the file afresh, so changes made by the desktop's own
// settings show at the next status().
class AutostartEntry {
public:
    explicit AutostartEntry(AutostartIdentity identity = {});

    AutostartStatus status() const;
    // Writes the entry, starting this program, atomically. Only our own entry
    // is replaced: a file of that name that starts another program or can't
    // be read, a link or anything but a regular file is left as it is and
    // fails. Throws AutostartError.
    void enable();
    // Removes our own entry; nothing to remove, or another program's entry
    // under our name, is no error. A link or anything but a regular file
    // there is left as it is and fails. Throws AutostartError.
    void disable();

    // The entry's file; empty when there is no usable configuration folder or
    // app id.
    QString path() const;
    // The autostart folder; empty when there is no usable configuration folder.
    QString folder() const;
    const QString &programPath() const { return m_identity.programPath; }

    // What openSettings() launches: the desktop's startup-applications
    // settings where it has them (KDE's System Settings page, GNOME Tweaks
    // when installed), otherwise the file manager on the autostart folder.
    // An empty program when not even the folder is known.
    AutostartCommand settingsCommand() const;
    // Launches settingsCommand(), detached. False when nothing could be
    // started.
    bool openSettings() const;

private:
    // Whether an entry with these keys is ours: marked, starting this very
    // program, or starting a program of our name.
    bool isOurs(const QHash<QString, QString> &keys) const;
    // Throws unless the file is missing or our own entry, as a regular file.
    void checkOwnEntry(const QString &file) const;

    AutostartIdentity m_identity;
};

// Desktop-entry quoting of one Exec argument: quoted when it holds a reserved
// character, '"', '`', '$' and '\' escaped inside the quotes, '%' doubled.
// The result still needs the string escapes of the key file (escapeValue).
QString quoteExecArgument(const QString &argument);
// Splits an unescaped Exec value into its arguments, undoing the quoting and
// the doubled '%' and dropping field codes (%f, %U, ...). Empty on a quote
// left open.
std::optional<QStringList> splitExec(QStringView exec);
// The string escapes of a key-file value: backslash, newline, tab, carriage
// return, and a leading space.
QString escapeValue(const QString &value);
QString unescapeValue(QStringView value);

} // namespace orbel
