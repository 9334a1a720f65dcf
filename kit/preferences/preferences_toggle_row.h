#pragma once

#include "binding.h"
#include "preferences_row.h"

namespace orbel {

class BrandFocusRing;
class OrbelSwitch;

// A row whose control is a switch bound to the caller's value. The switch is
// named by the row's title (shown only in the label column), wears the kit's
// capsule focus ring and takes the chrome's accent as its tint. Disabling the
// row disables the switch.
class PreferencesToggleRow : public PreferencesRow {
    Q_OBJECT

public:
    PreferencesToggleRow(const QString &title, const std::optional<QString> &note, Binding<bool> isOn,
                         const OrbelEnvironment &environment, QWidget *parent = nullptr);

    OrbelSwitch *toggle() const { return m_switch; }
    BrandFocusRing *focusRing() const;
    bool isOn() const;
    // Shows the bound value again after its owner changed it.
    void syncFromBinding();

private:
    OrbelSwitch *m_switch;
};

} // namespace orbel
