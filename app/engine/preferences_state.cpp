#include "preferences_state.h"

#include <QCoreApplication>

namespace pelorin {

namespace {

// The window's texts are the window's own to translate.
struct PreferencesTexts {
    Q_DECLARE_TR_FUNCTIONS(pelorin::PreferencesView)
};

} // namespace

PreferencesState PreferencesState::of(LoginItemState state, bool busy, bool failed)
{
    PreferencesState shown;
    shown.switchEnabled = !busy;
    if (state == LoginItemState::requiresApproval)
        shown.warning = PreferencesTexts::tr("Allow Pelorin to open at login");
    else if (failed)
        shown.warning = PreferencesTexts::tr("The login setting could not change");
    return shown;
}

} // namespace pelorin
