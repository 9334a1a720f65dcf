#pragma once

#include "energy_failure.h"
#include "session.h"

#include <optional>

namespace pelorin {

// Where a session stands. `inactive` is the initial state.
class SessionState {
public:
    enum class Kind : std::uint8_t { starting, active, stopping, failed, inactive };

    SessionState() = default;
    static SessionState starting(const Session &s) { return SessionState(Kind::starting, s, {}); }
    static SessionState active(const Session &s) { return SessionState(Kind::active, s, {}); }
    static SessionState stopping(const Session &s) { return SessionState(Kind::stopping, s, {}); }
    static SessionState failed(const EnergyFailure &f, std::optional<Session> s)
    {
        return SessionState(Kind::failed, std::move(s), f);
    }
    static SessionState inactive() { return {}; }

    Kind kind() const { return m_kind; }
    // The session this state carries: starting, active and stopping their
    // own, failed its optional one, inactive none.
    const std::optional<Session> &session() const { return m_session; }
    // The failure of a failed state; absent otherwise.
    const std::optional<EnergyFailure> &failure() const { return m_failure; }

    bool isTransitioning() const { return m_kind == Kind::starting || m_kind == Kind::stopping; }
    bool holdsAssertion() const
    {
        return m_kind == Kind::active || (m_kind == Kind::failed && m_failure->retainsResources);
    }

    bool operator==(const SessionState &) const = default;

private:
    SessionState(Kind kind, std::optional<Session> session, std::optional<EnergyFailure> failure)
        : m_kind(kind), m_session(std::move(session)), m_failure(failure)
    {
    }
    Kind m_kind = Kind::inactive;
    std::optional<Session> m_session;
    std::optional<EnergyFailure> m_failure;
};

} // namespace pelorin
