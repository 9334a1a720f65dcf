#pragma once

#include "date.h"
#include "session_duration.h"
#include "session_id.h"

#include <optional>

namespace pelorin {

// What a duration tile and the display switch produce.
struct SessionSelection {
    SessionDuration duration = SessionDuration::hour1();
    bool keepsDisplayAwake = true;

    constexpr bool operator==(const SessionSelection &) const = default;
};

// One keep-awake session as it was started (or extended).
struct Session {
    SessionID id;
    SessionSelection selection;
    Date startedAt;
    // startedAt + effectiveDuration; both are absent for a session without end.
    std::optional<Date> deadline;
    std::optional<Duration> effectiveDuration;

    Session(SessionID sessionID, SessionSelection chosen, Date startDate);

    // Time from `date` to the deadline, never negative; absent without a deadline.
    std::optional<Duration> remaining(Date date) const;
    // A longer copy (duration custom(old + step), deadline measured from
    // startedAt); absent without an end or for a step that is not positive.
    std::optional<Session> extended(Duration step) const;

    bool operator==(const Session &) const = default;
};

} // namespace pelorin
