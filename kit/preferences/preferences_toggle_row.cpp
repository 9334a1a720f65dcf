#include "preferences_toggle_row.h"

#include "orbel_switch.h"
#include "preferences_focus_ring.h"

#include <utility>

namespace orbel {

PreferencesToggleRow::PreferencesToggleRow(const QString &title, const std::optional<QString> &note, Binding<bool> isOn,
                                           const OrbelEnvironment &environment, QWidget *parent)
    : PreferencesRow(title, note, true, new OrbelSwitch(title, environment), environment, parent)
{
    m_switch = static_cast<OrbelSwitch *>(control());
    m_switch->setBinding(std::move(isOn));
    preferencesFocusRing(m_switch, RingShape::capsule(), environment);
}

BrandFocusRing *PreferencesToggleRow::focusRing() const
{
    return preferencesFocusRingOf(m_switch);
}

bool PreferencesToggleRow::isOn() const
{
    return m_switch->isChecked();
}

void PreferencesToggleRow::syncFromBinding()
{
    m_switch->syncFromBinding();
}

} // namespace orbel
