#pragma once

#include "session.h"

#include <QCoroTask>

#include <optional>

namespace pelorin {

// Holds the locks of each session. Every operation runs on the main thread
// and throws only EnergyFailure.
class EnergyService {
public:
    virtual ~EnergyService() = default;

    // Takes the locks for a session; `remaining` is the time left, absent for
    // a session without end.
    virtual QCoro::Task<> acquire(Session session, std::optional<Duration> remaining) = 0;
    // Releases every lock held for a session.
    virtual QCoro::Task<> release(SessionID id) = 0;
    // Replaces a session's locks with ones whose time-out is the new time left.
    virtual QCoro::Task<> extend(Session session, std::optional<Duration> remaining) = 0;
};

} // namespace pelorin
