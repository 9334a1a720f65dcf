#pragma once

#include "duration.h"
#include "session_state.h"

#include <optional>

namespace pelorin {

// The session and the master switch as the screens read them: live from the
// application model, or staged for a snapshot's picture.
struct SessionFacts {
    SessionState state;
    // The time left as the session facade reports it; absent without a
    // session that has an end.
    std::optional<Duration> remaining;
    bool armed = true;

    bool operator==(const SessionFacts &) const = default;
};

} // namespace pelorin
