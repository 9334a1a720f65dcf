#pragma once

#include "setting_row.h"

namespace orbel {

class LoginItem;
class OrbelSwitch;

// A ready-made "Open at Login" panel row over the kit's login item: a small
// switch in the caller's tint. Flipping it registers or unregisters the
// application at once, and the switch then shows what the system reports.
class OpenAtLoginRow : public SettingRow {
    Q_OBJECT

public:
    // Over the kit's shared login item.
    explicit OpenAtLoginRow(const QColor &color, const OrbelEnvironment &environment, QWidget *parent = nullptr);
    OpenAtLoginRow(LoginItem &item, const QColor &color, const OrbelEnvironment &environment,
                   QWidget *parent = nullptr);

    OrbelSwitch *toggle() const { return m_switch; }

private:
    OrbelSwitch *m_switch;
};

} // namespace orbel
