#include "orbel_snapshot.h"

namespace orbel::OrbelSnapshot {

bool isActive(const QStringList &arguments)
{
    for (const QString &argument : arguments) {
        if (argument.startsWith(QLatin1String("--snapshot-")))
            return true;
    }
    return false;
}

bool flag(const QString &name, const QStringList &arguments)
{
    return arguments.contains(name);
}

std::optional<QString> value(const QString &option, const QStringList &arguments)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0 || at + 1 >= arguments.size())
        return std::nullopt;
    return arguments.at(at + 1);
}

} // namespace orbel::OrbelSnapshot
