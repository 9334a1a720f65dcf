#include "autostart_entry.h"

#include "regular_file.h"
#include "xdg_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>
#include <QStringDecoder>

#include <algorithm>

namespace orbel {

using namespace Qt::StringLiterals;

namespace {

// Characters that force an Exec argument into double quotes.
constexpr QStringView reservedInExec = u" \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside a quoted Exec argument.
constexpr QStringView escapedInQuotes = u"\"`$\\";

bool isUsableFolder(const QString &path)
{
    return !path.isEmpty() && QDir::isAbsolutePath(path);
}

bool isUsableAppId(const QString &appId)
{
    return !appId.isEmpty() && !appId.contains(u'/') && appId != "."_L1 && appId != ".."_L1;
}

// Larger than any entry a desktop writes; a bigger file is not ours.
constexpr qint64 maximumEntrySize = 64 * 1024;

// The keys of the [Desktop Entry] group, values still escaped. Empty when the
// file can't be read, is not UTF-8 text or has no such group. We read the
// file ourselves: QSettings' INI format is not the desktop-entry format (it
// rewrites keys such as "Name[de]" and has escapes of its own).
std::optional<QHash<QString, QString>> readDesktopEntry(const QString &path)
{
    const RegularFile::ReadResult file = RegularFile::read(path, maximumEntrySize);
    if (file.status != RegularFile::ReadStatus::ok || file.bytes.contains('\0'))
        return std::nullopt;
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(file.bytes);
    if (decode.hasError())
        return std::nullopt;

    QHash<QString, QString> keys;
    bool inGroup = false;
    bool sawGroup = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[')) {
            inGroup = trimmed == u"[Desktop Entry]";
            sawGroup = sawGroup || inGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inGroup || equals <= 0)
            continue;
        const QStringView key = line.first(equals).trimmed();
        QStringView value = line.sliced(equals + 1);
        while (!value.isEmpty() && (value.front() == u' ' || value.front() == u'\t'))
            value = value.sliced(1);
        if (!key.isEmpty())
            keys.insert(key.toString(), value.toString());
    }
    if (!sawGroup)
        return std::nullopt;
    return keys;
}

bool readsTrue(const QString &value)
{
    const QString v = value.trimmed();
    return v == "true"_L1 || v == "1"_L1;
}

bool readsFalse(const QString &value)
{
    const QString v = value.trimmed();
    return v == "false"_L1 || v == "0"_L1;
}

bool isSameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (!canonicalA.isEmpty() && !canonicalB.isEmpty())
        return canonicalA == canonicalB;
    return QDir::cleanPath(a) == QDir::cleanPath(b);
}

// The program an entry's Exec starts, as the session would find it: a path,
// or a bare name looked up on the PATH. Empty when there is none.
QString resolvedProgram(const QString &entryProgram)
{
    QString resolved = entryProgram;
    if (!entryProgram.contains(u'/'))
        resolved = QStandardPaths::findExecutable(entryProgram);
    if (resolved.isEmpty() || !QDir::isAbsolutePath(resolved))
        return {};
    return resolved;
}

// The first argument of an application entry's Exec, unquoted; empty when
// the entry is no application or its Exec can't be read.
QString execProgram(const QHash<QString, QString> &keys)
{
    if (unescapeValue(keys.value(u"Type"_s, u"Application"_s)) != "Application"_L1)
        return {};
    const auto arguments = splitExec(unescapeValue(keys.value(u"Exec"_s)));
    return arguments && !arguments->isEmpty() ? arguments->front() : QString();
}

} // namespace

AutostartError::AutostartError(const QString &description) : std::runtime_error(description.toStdString())
{
}

AutostartEntry::AutostartEntry(AutostartIdentity identity) : m_identity(std::move(identity))
{
    if (m_identity.name.isEmpty())
        m_identity.name = QCoreApplication::applicationName();
    if (m_identity.name.isEmpty())
        m_identity.name = m_identity.appId;
    if (m_identity.iconName.isEmpty())
        m_identity.iconName = m_identity.appId;
    if (m_identity.programPath.isEmpty() && QCoreApplication::instance())
        m_identity.programPath = QCoreApplication::applicationFilePath();
    if (m_identity.configHome.isEmpty())
        m_identity.configHome = XdgFolders::configHome();
}

QString AutostartEntry::folder() const
{
    if (!isUsableFolder(m_identity.configHome))
        return {};
    return QDir::cleanPath(m_identity.configHome + "/autostart"_L1);
}

QString AutostartEntry::path() const
{
    const QString dir = folder();
    if (dir.isEmpty() || !isUsableAppId(m_identity.appId))
        return {};
    return dir + u'/' + m_identity.appId + ".desktop"_L1;
}

AutostartStatus AutostartEntry::status() const
{
    const QString file = path();
    if (file.isEmpty() || !QDir::isAbsolutePath(m_identity.programPath))
        return AutostartStatus::unavailable;
    // A link is read through, as the desktop reads it; anything that is not
    // our entry reads as off.
    const auto keys = readDesktopEntry(file);
    if (!keys || !isOurs(*keys))
        return AutostartStatus::disabled;
    // Ours, but starting a program that is gone (a moved or removed install):
    // nothing opens at login until the switch points it at this one.
    const QString program = resolvedProgram(execProgram(*keys));
    if (program.isEmpty() || !QFileInfo(program).isExecutable())
        return AutostartStatus::disabled;
    if (readsTrue(keys->value(u"Hidden"_s)) || readsFalse(keys->value(u"X-GNOME-Autostart-enabled"_s)))
        return AutostartStatus::requiresApproval;
    return AutostartStatus::enabled;
}

bool AutostartEntry::isOurs(const QHash<QString, QString> &keys) const
{
    const QString program = execProgram(keys);
    if (program.isEmpty())
        return false;
    if (!m_identity.markKey.isEmpty() && readsTrue(unescapeValue(keys.value(m_identity.markKey))))
        return true;
    if (!m_identity.programName.isEmpty() && QFileInfo(program).fileName() == m_identity.programName)
        return true;
    const QString resolved = resolvedProgram(program);
    return !resolved.isEmpty() && isSameFile(resolved, m_identity.programPath);
}

void AutostartEntry::checkOwnEntry(const QString &file) const
{
    switch (RegularFile::kindOf(file)) {
    case RegularFile::Kind::missing:
        return;
    case RegularFile::Kind::regular:
        break;
    case RegularFile::Kind::link:
        throw AutostartError(u"%1 is a symbolic link, not an entry of ours; it is left as it is."_s.arg(file));
    case RegularFile::Kind::other:
    case RegularFile::Kind::unknown:
        throw AutostartError(u"%1 is not a regular file; it is left as it is."_s.arg(file));
    }
    const auto keys = readDesktopEntry(file);
    if (!keys)
        throw AutostartError(u"%1 can't be read as a desktop entry; it is left as it is."_s.arg(file));
    if (!isOurs(*keys))
        throw AutostartError(u"%1 starts another program; it is left as it is."_s.arg(file));
}

void AutostartEntry::enable()
{
    const QString file = path();
    if (file.isEmpty())
        throw AutostartError(u"There is no configuration folder for the autostart entry."_s);
    if (!QDir::isAbsolutePath(m_identity.programPath))
        throw AutostartError(u"The program's own path is unknown."_s);

    const QString dir = folder();
    if (!QDir().mkpath(dir))
        throw AutostartError(u"Could not create the folder %1."_s.arg(dir));
    // Only our own entry is ever replaced.
    checkOwnEntry(file);

    const QString text = "[Desktop Entry]\n"
                         "Type=Application\n"
                         "Name="_L1 +
                         escapeValue(m_identity.name) + "\nExec="_L1 +
                         escapeValue(quoteExecArgument(m_identity.programPath)) + "\nIcon="_L1 +
                         escapeValue(m_identity.iconName) + "\nX-GNOME-Autostart-enabled=true\n"_L1 +
                         (m_identity.markKey.isEmpty() ? QString() : m_identity.markKey + "=true\n"_L1);
    if (const auto error = RegularFile::write(file, text.toUtf8()))
        throw AutostartError(u"Could not write %1"_s.arg(*error));
}

void AutostartEntry::disable()
{
    const QString file = path();
    if (file.isEmpty())
        return;
    // A regular file that is not our entry is another program's to keep, and
    // with it in place ours isn't there: nothing to do. A link or a special
    // file fails in checkOwnEntry.
    if (RegularFile::kindOf(file) == RegularFile::Kind::regular) {
        const auto keys = readDesktopEntry(file);
        if (!keys || !isOurs(*keys))
            return;
    }
    checkOwnEntry(file);
    if (const auto error = RegularFile::remove(file))
        throw AutostartError(u"Could not remove %1"_s.arg(*error));
}

AutostartCommand AutostartEntry::settingsCommand() const
{
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts);
    const auto onDesktop = [&desktops](QLatin1StringView name) {
        return std::any_of(desktops.begin(), desktops.end(),
                           [name](const QString &d) { return d.compare(name, Qt::CaseInsensitive) == 0; });
    };

    if (onDesktop("KDE"_L1)) {
        for (const QString &name : {u"systemsettings"_s, u"systemsettings5"_s}) {
            const QString program = QStandardPaths::findExecutable(name);
            if (!program.isEmpty())
                return {program, {u"kcm_autostart"_s}};
        }
    }
    if (onDesktop("GNOME"_L1)) {
        const QString tweaks = QStandardPaths::findExecutable(u"gnome-tweaks"_s);
        if (!tweaks.isEmpty())
            return {tweaks, {}};
    }
    const QString dir = folder();
    if (dir.isEmpty())
        return {};
    return {u"xdg-open"_s, {dir}};
}

bool AutostartEntry::openSettings() const
{
    const AutostartCommand command = settingsCommand();
    if (command.program.isEmpty())
        return false;
    // The file manager needs the folder to exist, and the desktop's own
    // settings don't mind it.
    if (const QString dir = folder(); !dir.isEmpty())
        QDir().mkpath(dir);
    return QProcess::startDetached(command.program, command.arguments);
}

QString quoteExecArgument(const QString &argument)
{
    const bool needsQuotes = argument.isEmpty() || std::any_of(argument.begin(), argument.end(),
                                                               [](QChar c) { return reservedInExec.contains(c); });
    QString out;
    if (needsQuotes)
        out += u'"';
    for (const QChar c : argument) {
        if (needsQuotes && escapedInQuotes.contains(c))
            out += u'\\';
        out += c;
        // A single '%' would start a field code.
        if (c == u'%')
            out += u'%';
    }
    if (needsQuotes)
        out += u'"';
    return out;
}

std::optional<QStringList> splitExec(QStringView exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false; // keeps an empty "" argument
    bool inQuotes = false;
    const auto finish = [&] {
        if (!current.isEmpty() || quoted)
            arguments.append(current);
        current.clear();
        inArgument = quoted = false;
    };

    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        const bool hasNext = i + 1 < exec.size();
        if (c == u'%' && hasNext) {
            // "%%" is a percent sign; any other field code expands to nothing
            // when the session starts the program.
            ++i;
            inArgument = true;
            if (exec[i] == u'%')
                current += u'%';
            continue;
        }
        if (inQuotes) {
            if (c == u'"')
                inQuotes = false;
            else if (c == u'\\' && hasNext && escapedInQuotes.contains(exec[i + 1]))
                current += exec[++i];
            else
                current += c;
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                finish();
            continue;
        }
        inArgument = true;
        if (c == u'"') {
            inQuotes = quoted = true;
        } else if (c == u'\\' && hasNext) {
            // Outside quotes a backslash takes the next character as it is,
            // as the shell would.
            current += exec[++i];
        } else {
            current += c;
        }
    }
    if (inQuotes)
        return std::nullopt;
    if (inArgument)
        finish();
    return arguments;
}

QString escapeValue(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == u'\\')
            out += "\\\\"_L1;
        else if (c == u'\n')
            out += "\\n"_L1;
        else if (c == u'\t')
            out += "\\t"_L1;
        else if (c == u'\r')
            out += "\\r"_L1;
        else if (c == u' ' && i == 0)
            out += "\\s"_L1;
        else
            out += c;
    }
    return out;
}

QString unescapeValue(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != u'\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[i + 1];
        switch (next.unicode()) {
        case u's':
            out += u' ';
            break;
        case u'n':
            out += u'\n';
            break;
        case u't':
            out += u'\t';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'\\':
            out += u'\\';
            break;
        default:
            // Not an escape of the format: kept as written.
            out += c;
            out += next;
            break;
        }
        ++i;
    }
    return out;
}

} // namespace orbel
