#pragma once

#include <QLoggingCategory>
#include <QString>

namespace orbel {

// The log of the login item: category "login".
Q_DECLARE_LOGGING_CATEGORY(lcLogin)

// Writes the one line that a failed change of the login item leaves, whoever
// made the change: "login item change failed: " and the reason, at error
// level (Qt's critical; it has no level between that and warning), in
// category "login".
void logLoginItemChangeFailed(const QString &reason);

} // namespace orbel
