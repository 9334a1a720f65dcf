#include "preferences_login_row.h"

#include "login_item.h"

#include <QPointer>

namespace orbel {

PreferencesLoginRow::PreferencesLoginRow(const OrbelEnvironment &environment, QWidget *parent)
    : PreferencesLoginRow(LoginItem::shared(), environment, parent)
{
}

PreferencesLoginRow::PreferencesLoginRow(LoginItem &item, const OrbelEnvironment &environment, QWidget *parent)
    : PreferencesToggleRow(tr("Open at Login"), std::nullopt,
                           Binding<bool>{[item = QPointer<LoginItem>(&item)] { return item && item->isEnabled(); },
                                         [item = QPointer<LoginItem>(&item)](bool on) {
                                             if (item)
                                                 item->setEnabled(on);
                                         }},
                           environment, parent)
{
    connect(&item, &LoginItem::enabledChanged, this, &PreferencesLoginRow::syncFromBinding);
}

} // namespace orbel
