#include "settings_file.h"

#include "regular_file.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {

// Far more than the few keys of the program; a larger file is not ours.
constexpr qint64 maximumSize = 1024 * 1024;

// One line of the file, as far as the general section's keys go.
struct Line {
    enum Kind { blank, comment, section, key, other };
    Kind kind = other;
    // The section's name or the key.
    QString name{};
    // Where the value starts and ends in the line, without the spaces around
    // it and without a ';' comment.
    qsizetype valueStart = 0;
    qsizetype valueEnd = 0;
};

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

Line ofKind(Line::Kind kind)
{
    Line line;
    line.kind = kind;
    return line;
}

Line parse(QStringView line)
{
    if (line.endsWith(u'\r'))
        line.chop(1);
    const QStringView trimmed = line.trimmed();
    if (trimmed.isEmpty())
        return ofKind(Line::blank);
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
        return ofKind(Line::comment);
    if (trimmed.startsWith(u'['))
        return trimmed.endsWith(u']') ? Line{Line::section, trimmed.sliced(1, trimmed.size() - 2).toString(), 0, 0}
                                      : ofKind(Line::other);
    const qsizetype equals = line.indexOf(u'=');
    const QStringView key = equals > 0 ? line.first(equals).trimmed() : QStringView();
    if (key.isEmpty())
        return ofKind(Line::other);
    qsizetype start = equals + 1;
    while (start < line.size() && isBlank(line[start]))
        ++start;
    qsizetype end = start;
    bool quoted = false;
    for (; end < line.size(); ++end) {
        if (line[end] == u'"')
            quoted = !quoted;
        else if (line[end] == u';' && !quoted)
            break;
    }
    while (end > start && isBlank(line[end - 1]))
        --end;
    return {Line::key, key.toString(), start, end};
}

} // namespace

SettingsFile SettingsFile::read(const QString &path)
{
    SettingsFile file;
    const orbel::RegularFile::ReadResult result = orbel::RegularFile::read(path, maximumSize);
    if (result.status == orbel::RegularFile::ReadStatus::missing)
        return file;
    if (result.status == orbel::RegularFile::ReadStatus::failed) {
        file.m_readable = false;
        file.m_error = result.error;
        return file;
    }
    // A byte-order mark is kept apart from the lines and written back.
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    QString text = decode(result.bytes);
    if (decode.hasError() || result.bytes.contains('\0')) {
        file.m_readable = false;
        file.m_error = u"%1 is not UTF-8 text"_s.arg(path);
        return file;
    }
    if (text.startsWith(QChar::ByteOrderMark)) {
        file.m_byteOrderMark = true;
        text.remove(0, 1);
    }
    file.m_lines = text.split(u'\n');
    return file;
}

qsizetype SettingsFile::lineOf(const QString &key) const
{
    qsizetype found = -1;
    bool inGeneral = true;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line line = parse(m_lines[i]);
        if (line.kind == Line::section)
            inGeneral = line.name == "General"_L1;
        else if (inGeneral && line.kind == Line::key && line.name == key)
            found = i;
    }
    return found;
}

qsizetype SettingsFile::insertionPoint() const
{
    // After the last line of the first [General] section; else before the
    // first section, where keys without one are; else after the last line.
    qsizetype firstSection = -1;
    qsizetype lastContent = -1;
    bool inGeneral = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const Line line = parse(m_lines[i]);
        if (line.kind == Line::section) {
            if (inGeneral)
                return lastContent + 1;
            inGeneral = line.name == "General"_L1;
            if (firstSection < 0 && !inGeneral)
                firstSection = i;
            if (inGeneral)
                lastContent = i;
        } else if (line.kind != Line::blank && (inGeneral || firstSection < 0)) {
            lastContent = i;
        }
    }
    if (inGeneral || firstSection < 0)
        return lastContent + 1;
    return firstSection;
}

std::optional<QString> SettingsFile::value(const QString &key) const
{
    const qsizetype at = lineOf(key);
    if (at < 0)
        return std::nullopt;
    const Line line = parse(m_lines[at]);
    QString text = m_lines[at].mid(line.valueStart, line.valueEnd - line.valueStart);
    if (text.size() >= 2 && text.startsWith(u'"') && text.endsWith(u'"'))
        text = text.mid(1, text.size() - 2);
    return text;
}

std::optional<bool> SettingsFile::boolValue(const QString &key) const
{
    const std::optional<QString> text = value(key);
    if (!text)
        return std::nullopt;
    if (text->compare("true"_L1, Qt::CaseInsensitive) == 0 || *text == "1"_L1)
        return true;
    if (text->compare("false"_L1, Qt::CaseInsensitive) == 0 || *text == "0"_L1)
        return false;
    return std::nullopt;
}

void SettingsFile::setValue(const QString &key, const QString &value)
{
    if (const qsizetype at = lineOf(key); at >= 0) {
        const Line line = parse(m_lines[at]);
        m_lines[at].replace(line.valueStart, line.valueEnd - line.valueStart, value);
        return;
    }
    if (m_lines == QStringList{QString()})
        m_lines = QStringList{u"[General]"_s, QString()};
    const qsizetype at = insertionPoint();
    // The line ending of the line before, so a file written on Windows stays so.
    const bool crlf = at > 0 && m_lines[at - 1].endsWith(u'\r');
    // A last line without its newline gets one, so the new line is a line of its own.
    if (at == m_lines.size() && at > 0 && !m_lines.last().isEmpty())
        m_lines.append(QString());
    m_lines.insert(at, key + u'=' + value + (crlf ? u"\r"_s : QString()));
}

std::optional<QString> SettingsFile::write(const QString &path) const
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return u"Could not create the folder %1"_s.arg(folder);
    const QByteArray mark = m_byteOrderMark ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
    return orbel::RegularFile::write(path, QByteArray(mark + text().toUtf8()));
}

} // namespace pelorin
