#include "regular_file.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbel::RegularFile {

using namespace Qt::StringLiterals;

namespace {

QString systemError(const QString &path, int error)
{
    return u"%1: %2"_s.arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

bool writeAll(int fd, QByteArrayView bytes)
{
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// The folder part of an encoded path, "." for a bare name.
QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return "."_ba;
    return slash == 0 ? "/"_ba : path.left(slash);
}

// A new file beside `target` that no one else has opened: its descriptor and
// name, or -1 with errno set.
int createTemporary(const QByteArray &target, mode_t mode, QByteArray &name)
{
    const QByteArray folder = folderOf(target);
    const QByteArray base = target.mid(target.lastIndexOf('/') + 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = folder + "/." + base + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

bool isUtf8Continuation(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// How long the UTF-8 sequence starting with `lead` is; 0 for a byte that
// can't start one.
int sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

constexpr char16_t escapeBase = 0xDC00;

} // namespace

ReadResult read(const QString &path, qint64 maximumSize)
{
    const QByteArray name = encodeName(path);
    // Non-blocking, so a FIFO planted at the path can't hold us; checked to
    // be a regular file before a byte is read.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {ReadStatus::missing, {}, {}};
        return {ReadStatus::failed, {}, systemError(path, errno)};
    }
    ReadResult result;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        result.error = systemError(path, errno);
    } else if (!S_ISREG(info.st_mode)) {
        result.error = u"%1 is not a regular file"_s.arg(path);
    } else {
        QByteArray bytes;
        char buffer[16384];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                result.error = systemError(path, errno);
                break;
            }
            if (got == 0) {
                result.status = ReadStatus::ok;
                result.bytes = std::move(bytes);
                break;
            }
            bytes.append(buffer, got);
            if (bytes.size() > maximumSize) {
                result.error = u"%1 is larger than %2 bytes"_s.arg(path).arg(maximumSize);
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

Kind kindOf(const QString &path)
{
    struct stat info {};
    if (::lstat(encodeName(path).constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? Kind::missing : Kind::unknown;
    if (S_ISREG(info.st_mode))
        return Kind::regular;
    return S_ISLNK(info.st_mode) ? Kind::link : Kind::other;
}

std::optional<QString> write(const QString &path, QByteArrayView bytes)
{
    const QByteArray target = encodeName(path);
    struct stat existing {};
    bool replaces = false;
    if (::lstat(target.constData(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            return u"%1 is not a regular file"_s.arg(path);
        if (::access(target.constData(), W_OK) != 0)
            return systemError(path, errno);
        replaces = true;
    } else if (errno != ENOENT) {
        return systemError(path, errno);
    }

    QByteArray temporary;
    const int fd = createTemporary(target, replaces ? 0600 : 0666, temporary);
    if (fd < 0)
        return systemError(path, errno);
    int error = 0;
    if (!writeAll(fd, bytes) || (replaces && ::fchmod(fd, existing.st_mode & 07777) != 0) || ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0) {
        // The path may have changed meanwhile; the rename itself never
        // follows a link, so at worst it replaces one, never its target.
        struct stat now {};
        if (::lstat(target.constData(), &now) == 0 && !S_ISREG(now.st_mode)) {
            ::unlink(temporary.constData());
            return u"%1 is not a regular file"_s.arg(path);
        }
        if (::rename(temporary.constData(), target.constData()) == 0)
            return std::nullopt;
        error = errno;
    }
    ::unlink(temporary.constData());
    return systemError(path, error);
}

std::optional<QString> remove(const QString &path)
{
    const QByteArray target = encodeName(path);
    struct stat info {};
    if (::lstat(target.constData(), &info) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::nullopt : std::optional(systemError(path, errno));
    if (!S_ISREG(info.st_mode))
        return u"%1 is not a regular file"_s.arg(path);
    if (::unlink(target.constData()) != 0 && errno != ENOENT)
        return systemError(path, errno);
    return std::nullopt;
}

QString decodeName(QByteArrayView bytes)
{
    QString name;
    name.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const int length = sequenceLength(lead);
        bool valid = length > 0 && i + length <= bytes.size();
        for (int k = 1; valid && k < length; ++k)
            valid = isUtf8Continuation(bytes[i + k]);
        QString decoded;
        if (valid) {
            // Overlong forms and encoded surrogates come back as U+FFFD.
            decoded = QString::fromUtf8(bytes.sliced(i, length));
            valid = !decoded.contains(QChar::ReplacementCharacter) || bytes.sliced(i, length) == "\xEF\xBF\xBD";
        }
        if (valid) {
            name += decoded;
            i += length;
        } else {
            name += QChar(char16_t(escapeBase + lead));
            ++i;
        }
    }
    return name;
}

QByteArray encodeName(const QString &name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool escaped = c >= escapeBase + 0x80 && c <= escapeBase + 0xFF &&
                             (i == 0 || !QChar::isHighSurrogate(name[i - 1].unicode()));
        if (!escaped)
            continue;
        bytes += QStringView(name).sliced(run, i - run).toUtf8();
        bytes += char(c - escapeBase);
        run = i + 1;
    }
    bytes += QStringView(name).sliced(run).toUtf8();
    return bytes;
}

} // namespace orbel::RegularFile
