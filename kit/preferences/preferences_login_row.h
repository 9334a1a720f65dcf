#pragma once

#include "preferences_toggle_row.h"

namespace orbel {

class LoginItem;

// An "Open at Login" switch row over the kit's login item: flipping it
// registers or unregisters the application, and the switch follows the item.
class PreferencesLoginRow : public PreferencesToggleRow {
    Q_OBJECT

public:
    // Uses the kit's shared login item.
    explicit PreferencesLoginRow(const OrbelEnvironment &environment, QWidget *parent = nullptr);
    PreferencesLoginRow(LoginItem &item, const OrbelEnvironment &environment, QWidget *parent = nullptr);
};

} // namespace orbel
