#include "countdown.h"

namespace pelorin {

Countdown::Countdown(std::unique_ptr<SessionController> sessions, QObject *parent)
    : QObject(parent), m_sessions(std::move(sessions))
{
    m_sessions->setParent(nullptr);
    connect(m_sessions.get(), &SessionController::stateChanged, this, &Countdown::stateChanged);
}

const SessionState &Countdown::state() const
{
    return m_sessions->state();
}

bool Countdown::refusesNewSession() const
{
    return state().isTransitioning() || state().session().has_value();
}

void Countdown::setSelection(const SessionSelection &selection)
{
    if (refusesNewSession() || selection == m_storedSelection)
        return;
    m_storedSelection = selection;
    Q_EMIT selectionChanged();
}

void Countdown::start(const SessionDuration &duration)
{
    if (!m_isArmed() || refusesNewSession())
        return;
    m_storedSelection.duration = duration;
    Q_EMIT selectionChanged();
    start();
}

void Countdown::start()
{
    if (!m_isRunning || !m_isArmed() || refusesNewSession())
        return;
    m_sessions->start(m_storedSelection);
}

void Countdown::stop()
{
    m_sessions->send(SessionMachine::Stop{});
}

void Countdown::toggle()
{
    if (state().session())
        stop();
    else
        start();
}

void Countdown::extend()
{
    if (!m_isRunning || state().kind() != SessionState::Kind::active)
        return;
    m_sessions->extend(SessionDuration::extensionStep());
}

std::optional<Duration> Countdown::remaining() const
{
    return m_sessions->remaining();
}

} // namespace pelorin
