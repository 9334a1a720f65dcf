#pragma once

#include "energy_failure.h"
#include "session.h"

#include <QCoroTask>

#include <functional>
#include <optional>

namespace pelorin {

// Holds the locks of each session. Every operation runs on the main thread
// and throws only EnergyFailure.
class EnergyService {
public:
    // A session's lock went away and could not be taken again: the machine
    // is no longer kept awake as the session promised.
    using LostHandler = std::function<void(const SessionID &, const EnergyFailure &)>;
    // Every lock of a session went by itself, as it should (its time-out
    // passed, or a release that had failed went through after all): nothing
    // of it is held any more.
    using ReleasedHandler = std::function<void(const SessionID &)>;

    virtual ~EnergyService() = default;

    // Takes the locks for a session; `remaining` is the time left, absent for
    // a session without end.
    virtual QCoro::Task<> acquire(Session session, std::optional<Duration> remaining) = 0;
    // Releases every lock held for a session.
    virtual QCoro::Task<> release(SessionID id) = 0;
    // Replaces a session's locks with ones whose time-out is the new time left.
    virtual QCoro::Task<> extend(Session session, std::optional<Duration> remaining) = 0;

    void setLostHandler(LostHandler handler) { m_lost = std::move(handler); }
    void setReleasedHandler(ReleasedHandler handler) { m_released = std::move(handler); }

protected:
    void reportLost(const SessionID &id, const EnergyFailure &failure) const
    {
        if (m_lost)
            m_lost(id, failure);
    }
    void reportReleased(const SessionID &id) const
    {
        if (m_released)
            m_released(id);
    }

private:
    LostHandler m_lost;
    ReleasedHandler m_released;
};

} // namespace pelorin
