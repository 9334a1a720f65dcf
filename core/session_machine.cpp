#include "session_machine.h"

namespace pelorin {

using Kind = SessionState::Kind;

SessionMachine::Effects SessionMachine::handle(const Event &event)
{
    return std::visit(
        [this](const auto &e) -> Effects {
            using E = std::decay_t<decltype(e)>;
            if constexpr (std::is_same_v<E, Start>)
                return onStart(e);
            else if constexpr (std::is_same_v<E, Acquired>)
                return onAcquired(e);
            else if constexpr (std::is_same_v<E, AcquireFailed>)
                return onAcquireFailed(e);
            else if constexpr (std::is_same_v<E, Released>)
                return onReleased(e);
            else if constexpr (std::is_same_v<E, ReleaseFailed>)
                return onReleaseFailed(e);
            else if constexpr (std::is_same_v<E, Elapsed>)
                return onElapsed(e);
            else if constexpr (std::is_same_v<E, Extended>)
                return onExtended(e);
            else if constexpr (std::is_same_v<E, Lost>)
                return onLost(e);
            else
                return onStop();
        },
        event);
}

bool SessionMachine::carries(const SessionID &id) const
{
    return m_state.session() && m_state.session()->id == id;
}

SessionMachine::Effects SessionMachine::onStart(const Start &e)
{
    if (m_state.isTransitioning() || m_state.session())
        return {};
    if (!e.selection.duration.isValid()) {
        m_state = SessionState::failed(EnergyFailure::invalidDuration(), std::nullopt);
        return {};
    }
    Session fresh(e.id, e.selection, e.date);
    m_state = SessionState::starting(fresh);
    return {Acquire{fresh}};
}

SessionMachine::Effects SessionMachine::onAcquired(const Acquired &e)
{
    // A late answer for a session that is gone must not leave its locks behind.
    if (!carries(e.id))
        return {Release{e.id}};
    switch (m_state.kind()) {
    case Kind::starting: {
        const Session session = *m_state.session();
        m_state = SessionState::active(session);
        if (session.deadline)
            return {ScheduleDeadline{session}};
        return {};
    }
    case Kind::stopping:
        return {Release{e.id}};
    default:
        return {};
    }
}

SessionMachine::Effects SessionMachine::onAcquireFailed(const AcquireFailed &e)
{
    if (!carries(e.id))
        return {};
    if (m_state.kind() == Kind::stopping && !e.failure.retainsResources) {
        m_state = SessionState::inactive();
        return {CancelDeadline{}};
    }
    m_state = SessionState::failed(e.failure, e.failure.retainsResources ? m_state.session() : std::nullopt);
    return {CancelDeadline{}};
}

SessionMachine::Effects SessionMachine::onReleased(const Released &e)
{
    if (!carries(e.id))
        return {};
    // A session that failed for a lost lock keeps its failure on show once
    // the rest of its locks are gone.
    if (m_state.kind() == Kind::failed && !m_state.failure()->retainsResources) {
        m_state = SessionState::failed(*m_state.failure(), std::nullopt);
        return {CancelDeadline{}};
    }
    m_state = SessionState::inactive();
    return {CancelDeadline{}};
}

SessionMachine::Effects SessionMachine::onReleaseFailed(const ReleaseFailed &e)
{
    if (!carries(e.id))
        return {};
    // The session is kept whatever the failure says, so a later stop retries.
    m_state = SessionState::failed(e.failure, m_state.session());
    return {CancelDeadline{}};
}

SessionMachine::Effects SessionMachine::onElapsed(const Elapsed &e)
{
    if (m_state.kind() != Kind::active || !carries(e.id) || !m_state.session()->effectiveDuration)
        return {};
    return onStop();
}

SessionMachine::Effects SessionMachine::onExtended(const Extended &e)
{
    if (m_state.kind() != Kind::active || !carries(e.session.id))
        return {};
    const auto &current = m_state.session()->effectiveDuration;
    const auto &longer = e.session.effectiveDuration;
    if (!current || !longer || !(*current < *longer))
        return {};
    m_state = SessionState::active(e.session);
    return {ScheduleDeadline{e.session}};
}

SessionMachine::Effects SessionMachine::onStop()
{
    if (!m_state.session()) {
        m_state = SessionState::inactive();
        return {CancelDeadline{}};
    }
    const Session session = *m_state.session();
    switch (m_state.kind()) {
    case Kind::starting:
        m_state = SessionState::stopping(session);
        return {CancelDeadline{}};
    case Kind::active:
    case Kind::failed:
        m_state = SessionState::stopping(session);
        return {CancelDeadline{}, Release{session.id}};
    default:
        return {};
    }
}

SessionMachine::Effects SessionMachine::onLost(const Lost &e)
{
    if (!carries(e.id) || (m_state.kind() != Kind::starting && m_state.kind() != Kind::active))
        return {};
    // The panel must not go on claiming that the machine stays awake, nor
    // that the session never started. The session is kept until what is left
    // of its locks has gone (a release that fails then says so); the failure
    // says that nothing was kept, so once they are gone "Try again" starts
    // afresh.
    m_state =
        SessionState::failed(EnergyFailure(EnergyFailure::Operation::lost, e.failure.code, false), m_state.session());
    return {CancelDeadline{}, Release{e.id}};
}

} // namespace pelorin
