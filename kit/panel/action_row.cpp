#include "action_row.h"

namespace orbel {

ActionRow::ActionRow(const QString &title, const QString &symbol, const QColor &color, QWidget *trailing,
                     const OrbelEnvironment &environment, QWidget *parent)
    : SettingRow(title, symbol, color, trailing, environment, parent)
{
}

} // namespace orbel
