#include "login_item_log.h"

namespace orbel {

Q_LOGGING_CATEGORY(lcLogin, "login")

void logLoginItemChangeFailed(const QString &reason)
{
    qCCritical(lcLogin, "login item change failed: %s", qUtf8Printable(reason));
}

} // namespace orbel
