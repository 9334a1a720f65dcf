#pragma once

#include "login_item_service.h"

#include <QString>

#include <optional>

namespace pelorin {

// What the preferences window shows of "Open at Login" besides the switch
// (bound to the login item itself), worked out from the login item and the
// change under way: whether the switch can be flipped, and at most one
// warning. The window only shows it.
struct PreferencesState {
    // Not while a change is under way.
    bool switchEnabled = true;
    // The warning's title: waiting for approval says more than a change
    // that failed. Absent when there is nothing to report.
    std::optional<QString> warning;

    static PreferencesState of(LoginItemState state, bool busy, bool failed);
};

} // namespace pelorin
