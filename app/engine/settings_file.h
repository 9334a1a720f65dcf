#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace pelorin {

// The settings file as its lines, edited in place: a key of the general
// section (the lines before any [section], and [General], where QSettings
// keeps keys without a group) is read and written, and every other line,
// comments, other sections and lines without '=' included, is written back
// byte for byte. QSettings can't do this: it drops comments, cuts values at
// ';', re-escapes keys and backslashes, and reads nothing at all of a file
// with one line it can't parse.
class SettingsFile {
public:
    // Reads the file at `path`: a regular file (a link to one is read
    // through) of UTF-8 text. No file at all reads as an empty one.
    static SettingsFile read(const QString &path);

    // False when there is a file that could not be read as text: it must not
    // be written over. `error()` says why.
    bool isReadable() const { return m_readable; }
    const QString &error() const { return m_error; }

    // The value of the last line with this key in the general section, up to
    // a ';' comment, without the spaces around it or the double quotes around
    // the whole; absent when no line has the key.
    std::optional<QString> value(const QString &key) const;
    // The value as a Boolean: "true", "false", "1" or "0", in any case;
    // absent for anything else.
    std::optional<bool> boolValue(const QString &key) const;
    // Replaces the value of the key's last line, keeping its spaces and its
    // comment, or adds a line for it at the end of the general section.
    void setValue(const QString &key, const QString &value);

    // Writes the lines back atomically, creating the folder; never through a
    // link and never over anything but a regular file. Returns why it failed,
    // or nothing.
    std::optional<QString> write(const QString &path) const;

    // The lines as they would be written (after the byte-order mark, when the
    // file began with one), for the tests.
    QString text() const { return m_lines.join(u'\n'); }

private:
    // Where the key's last line in the general section is, or -1.
    qsizetype lineOf(const QString &key) const;
    // Where a new key of the general section goes.
    qsizetype insertionPoint() const;

    QStringList m_lines{QString()};
    bool m_readable = true;
    bool m_byteOrderMark = false;
    QString m_error;
};

} // namespace pelorin
