#pragma once

#include "session_state.h"

#include <variant>
#include <vector>

namespace pelorin {

// The whole life of a session as a pure transition function: one event in,
// the new state and an ordered list of effects for the caller to carry out.
class SessionMachine {
public:
    struct Start {
        SessionSelection selection;
        SessionID id;
        Date date;
    };
    struct Acquired {
        SessionID id;
    };
    struct AcquireFailed {
        SessionID id;
        EnergyFailure failure;
    };
    struct Released {
        SessionID id;
    };
    struct ReleaseFailed {
        SessionID id;
        EnergyFailure failure;
    };
    struct Elapsed {
        SessionID id;
    };
    struct Extended {
        Session session;
    };
    struct Stop {};
    // The session can no longer be kept awake as shown: a lock went away and
    // could not be taken again, or its deadline could not be armed. The
    // failure's code is kept; its operation becomes `lost`.
    struct Lost {
        SessionID id;
        EnergyFailure failure;
    };
    using Event = std::variant<Start, Acquired, AcquireFailed, Released, ReleaseFailed, Elapsed, Extended, Stop, Lost>;

    struct Acquire {
        Session session;
        bool operator==(const Acquire &) const = default;
    };
    struct Release {
        SessionID id;
        bool operator==(const Release &) const = default;
    };
    struct ScheduleDeadline {
        Session session;
        bool operator==(const ScheduleDeadline &) const = default;
    };
    struct CancelDeadline {
        bool operator==(const CancelDeadline &) const = default;
    };
    using Effect = std::variant<Acquire, Release, ScheduleDeadline, CancelDeadline>;
    using Effects = std::vector<Effect>;

    explicit SessionMachine(SessionState initial = SessionState::inactive()) : m_state(std::move(initial)) {}

    const SessionState &state() const { return m_state; }

    // Applies one event. An event that does not fit the state changes nothing
    // and returns no effects.
    Effects handle(const Event &event);

private:
    Effects onStart(const Start &e);
    Effects onAcquired(const Acquired &e);
    Effects onAcquireFailed(const AcquireFailed &e);
    Effects onReleased(const Released &e);
    Effects onReleaseFailed(const ReleaseFailed &e);
    Effects onElapsed(const Elapsed &e);
    Effects onExtended(const Extended &e);
    Effects onStop();
    Effects onLost(const Lost &e);
    bool carries(const SessionID &id) const;

    SessionState m_state;
};

} // namespace pelorin
