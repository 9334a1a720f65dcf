#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

#include <optional>

namespace orbel {

// The launch arguments of a snapshot run. Each function reads the argument
// list it is given (the process's, program path included, by default).
namespace OrbelSnapshot {

// True when any argument begins with "--snapshot-".
bool isActive(const QStringList &arguments = QCoreApplication::arguments());
// True when some argument is exactly `name`.
bool flag(const QString &name, const QStringList &arguments = QCoreApplication::arguments());
// The argument after the first one equal to `option`; absent when there is
// none, or when that one is the last argument.
std::optional<QString> value(const QString &option, const QStringList &arguments = QCoreApplication::arguments());

} // namespace OrbelSnapshot
} // namespace orbel
