#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace orbel {

// Reading and writing the program's own small files safely: only regular
// files are read or replaced, never a device, a FIFO, a socket or a folder,
// and a write never goes through a symbolic link. QSaveFile can't be used for
// this: it follows a link at the path (even a dangling one) and writes its
// target, and replaces a device node with a regular file.
namespace RegularFile {

enum class ReadStatus { ok, missing, failed };

struct ReadResult {
    ReadStatus status = ReadStatus::failed;
    QByteArray bytes;
    // Why the read failed; empty otherwise.
    QString error;
};

// The whole file at `path`, which must be a regular file (a link to one is
// followed) of at most `maximumSize` bytes. Never blocks on a FIFO or a
// device: those fail at once.
ReadResult read(const QString &path, qint64 maximumSize);

// Replaces the file at `path` with `bytes` atomically: a temporary file in
// the same folder, flushed to disk, then renamed over the path. The path must
// name nothing yet or a regular file that may be written; a link, a device, a
// FIFO, a socket or a folder there fails and nothing is written anywhere. A
// replaced file keeps its permissions; a new one gets 0666 less the umask.
// Returns why it failed, or nothing on success.
std::optional<QString> write(const QString &path, QByteArrayView bytes);

// Removes the regular file at `path`; a link or anything else that is not a
// regular file is left alone and fails. Nothing to remove is no error.
// Returns why it failed, or nothing on success.
std::optional<QString> remove(const QString &path);

// What lies at `path` itself, without following a link.
enum class Kind { missing, regular, link, other, unknown };
Kind kindOf(const QString &path);

// File names as the system has them are bytes, not always UTF-8. decodeName
// turns them into text without losing any: a byte that is not part of valid
// UTF-8 becomes the lone surrogate U+DC00 plus the byte, and encodeName turns
// it back into that byte. (QFile::decodeName replaces such a byte with U+FFFD,
// so the name can't be written back.)
QString decodeName(QByteArrayView bytes);
QByteArray encodeName(const QString &name);

} // namespace RegularFile
} // namespace orbel
