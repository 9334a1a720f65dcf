#include "session_controller.h"

#include "wake.h"

#include <QPointer>

#include <cerrno>

namespace pelorin {

namespace {

Duration atLeastZero(Duration d)
{
    return d < Duration::zero() ? Duration::zero() : d;
}

// The one deadline: sleeps for the time left, then reports the end unless it
// was cancelled or the controller is gone. It holds the controller weakly so
// that a pending deadline does not keep it alive.
QCoro::Task<> deadline(QPointer<SessionController> controller, SessionController::Wait wait, Duration span,
                       SessionID id, std::shared_ptr<Cancellation> cancellation)
{
    Wake turn = nextTurn(controller.data());
    if (co_await turn == Wake::Cause::contextGone || cancellation->isCancelled())
        co_return;
    std::optional<EnergyFailure> failure;
    bool finished = false;
    try {
        finished = co_await wait(span, cancellation);
    } catch (const EnergyFailure &f) {
        failure = f;
    }
    if (cancellation->isCancelled() || !controller)
        co_return;
    // A session whose end cannot be kept does not run on unseen, and it does
    // not end before its time either: it fails where the user can see it.
    if (failure)
        controller->send(SessionMachine::Lost{id, *failure});
    else if (finished)
        controller->send(SessionMachine::Elapsed{id});
}

} // namespace

SessionController::SessionController(SessionState state, std::shared_ptr<EnergyService> service, Now now,
                                     Monotonic monotonic, MakeID makeID, Wait wait, QObject *parent)
    : QObject(parent), m_state(state), m_machine(state), m_service(std::move(service)), m_now(std::move(now)),
      m_monotonic(std::move(monotonic)), m_makeID(std::move(makeID)), m_wait(std::move(wait))
{
    m_service->setLostHandler(
        [self = QPointer<SessionController>(this)](const SessionID &id, const EnergyFailure &failure) {
            if (self)
                self->send(SessionMachine::Lost{id, failure});
        });
    // Every lock of the session went by itself (a failed release confirmed
    // late, a time-out): nothing is held any more, and the panel says so by
    // itself.
    m_service->setReleasedHandler([self = QPointer<SessionController>(this)](const SessionID &id) {
        if (self)
            self->send(SessionMachine::Released{id});
    });
}

SessionController::~SessionController()
{
    if (m_deadlineCancellation)
        m_deadlineCancellation->cancel();
}

std::unique_ptr<SessionController> SessionController::makeDefault(std::shared_ptr<EnergyService> service,
                                                                  QObject *parent)
{
    const Duration origin = bootClockNow();
    return std::make_unique<SessionController>(
        SessionState::inactive(), std::move(service), [] { return Date::now(); },
        [origin] { return bootClockNow() - origin; }, [] { return SessionID::random(); },
        [](Duration span, std::shared_ptr<Cancellation> cancellation) -> QCoro::Task<bool> {
            try {
                co_return co_await sleepOnBootClock(span, std::move(cancellation));
            } catch (const BootTimerUnavailable &unavailable) {
                throw EnergyFailure(EnergyFailure::Operation::createSystem, -unavailable.error, false);
            }
        },
        parent);
}

void SessionController::start(const SessionSelection &selection)
{
    const SessionID id = m_makeID();
    const bool changed = apply(SessionMachine::Start{selection, id, m_now()});
    // The acquire operation is already created but has not run: it waits its
    // turn on the event loop, and finds this stamp when it does.
    if (m_state.session() && m_state.session()->id == id)
        m_startedAt[id] = m_monotonic();
    // Observers hear of the new session only once its time left can be read.
    if (changed)
        Q_EMIT stateChanged();
}

void SessionController::send(const SessionMachine::Event &event)
{
    // Observers hear of the change only once its effects are under way: one
    // that reacts by sending another event (a stop, say) must not have its
    // effects overtaken by the stale ones of this event, such as a deadline
    // armed for a session that is already stopping.
    if (apply(event))
        Q_EMIT stateChanged();
}

bool SessionController::apply(const SessionMachine::Event &event)
{
    std::optional<SessionID> before;
    if (m_state.session())
        before = m_state.session()->id;

    const SessionMachine::Effects effects = m_machine.handle(event);

    const bool changed = !(m_machine.state() == m_state);
    m_state = m_machine.state();
    if (before && !m_state.session())
        m_startedAt.erase(*before);

    for (const SessionMachine::Effect &effect : effects)
        perform(effect);
    return changed;
}

void SessionController::perform(const SessionMachine::Effect &effect)
{
    if (std::holds_alternative<SessionMachine::Acquire>(effect))
        launch(&SessionController::acquireOperation, effect);
    else if (std::holds_alternative<SessionMachine::Release>(effect))
        launch(&SessionController::releaseOperation, effect);
    else if (const auto *schedule = std::get_if<SessionMachine::ScheduleDeadline>(&effect))
        scheduleDeadline(schedule->session.id);
    else
        cancelDeadline();
}

void SessionController::launch(QCoro::Task<> (SessionController::*operation)(QUuid, SessionMachine::Effect),
                               const SessionMachine::Effect &effect)
{
    const QUuid key = QUuid::createUuid();
    // The body starts by waiting for the next turn of the event loop, so it
    // is stored here before any of its work runs.
    m_operations.emplace(key, (this->*operation)(key, effect));
}

QCoro::Task<> SessionController::acquireOperation(QUuid key, SessionMachine::Effect effect)
{
    const Session session = std::get<SessionMachine::Acquire>(effect).session;
    QPointer<SessionController> self(this);
    const std::shared_ptr<EnergyService> service = m_service;
    Wake turn = nextTurn(this);
    if (co_await turn == Wake::Cause::contextGone)
        co_return;

    std::optional<EnergyFailure> failure;
    try {
        co_await service->acquire(session, remaining());
    } catch (const EnergyFailure &f) {
        failure = f;
    } catch (...) {
        // Not a failure the service reports; assume the worst, so the session
        // stays on record and a stop releases whatever may have been taken.
        failure = EnergyFailure(EnergyFailure::Operation::createSystem, -EIO, true);
    }
    if (!self)
        co_return;
    if (failure) {
        send(SessionMachine::AcquireFailed{session.id, *failure});
    } else {
        send(SessionMachine::Acquired{session.id});
        // An observer of the new state may have destroyed the controller.
        if (self)
            expireIfDue();
    }
    if (self)
        finishOperation(key);
}

QCoro::Task<> SessionController::releaseOperation(QUuid key, SessionMachine::Effect effect)
{
    const SessionID id = std::get<SessionMachine::Release>(effect).id;
    QPointer<SessionController> self(this);
    const std::shared_ptr<EnergyService> service = m_service;
    // The locks go even when the controller went away in the meantime: the
    // service outlives it here, and nobody else would ever release them.
    Wake turn = nextTurn();
    co_await turn;
    std::optional<EnergyFailure> failure;
    try {
        co_await service->release(id);
    } catch (const EnergyFailure &f) {
        failure = f;
    } catch (...) {
        failure = EnergyFailure(EnergyFailure::Operation::release, -EIO, true);
    }
    if (!self)
        co_return;
    if (failure) {
        send(SessionMachine::ReleaseFailed{id, *failure});
    } else {
        send(SessionMachine::Released{id});
        if (self)
            m_startedAt.erase(id);
    }
    if (self)
        finishOperation(key);
}

QCoro::Task<> SessionController::extendOperation(QUuid key, Session longer, Duration stamp)
{
    QPointer<SessionController> self(this);
    const std::shared_ptr<EnergyService> service = m_service;
    Wake turn = nextTurn(this);
    if (co_await turn == Wake::Cause::contextGone)
        co_return;

    const Duration left = atLeastZero(*longer.effectiveDuration - atLeastZero(m_monotonic() - stamp));
    bool renewed = true;
    try {
        co_await service->extend(longer, left);
    } catch (...) {
        // A failed renewal leaves the session as it was; "+30 min" simply
        // had no effect.
        renewed = false;
    }
    if (!self)
        co_return;
    if (renewed)
        send(SessionMachine::Extended{longer});
    if (self)
        finishOperation(key);
}

void SessionController::finishOperation(const QUuid &key)
{
    m_operations.erase(key);
}

std::optional<Duration> SessionController::remaining() const
{
    const auto &session = m_state.session();
    if (!session || !session->effectiveDuration)
        return std::nullopt;
    const auto stamp = m_startedAt.find(session->id);
    if (stamp == m_startedAt.end())
        return std::nullopt;
    const Duration elapsed = atLeastZero(m_monotonic() - stamp->second);
    return atLeastZero(*session->effectiveDuration - elapsed);
}

std::optional<Duration> SessionController::startStamp(const SessionID &id) const
{
    const auto stamp = m_startedAt.find(id);
    if (stamp == m_startedAt.end())
        return std::nullopt;
    return stamp->second;
}

void SessionController::expireIfDue()
{
    const auto &session = m_state.session();
    if (!session)
        return;
    const auto left = remaining();
    if (left && *left <= Duration::zero())
        send(SessionMachine::Elapsed{session->id});
}

void SessionController::extend(Duration step)
{
    if (m_state.kind() != SessionState::Kind::active)
        return;
    const Session &current = *m_state.session();
    const std::optional<Session> longer = current.extended(step);
    if (!longer)
        return;
    const auto stamp = m_startedAt.find(current.id);
    if (stamp == m_startedAt.end() || !longer->effectiveDuration)
        return;
    const QUuid key = QUuid::createUuid();
    m_operations.emplace(key, extendOperation(key, *longer, stamp->second));
}

QCoro::Task<> SessionController::drain()
{
    QPointer<SessionController> self(this);
    while (self && !m_operations.empty())
        co_await m_operations.begin()->second;
}

void SessionController::scheduleDeadline(const SessionID &id)
{
    const auto left = remaining();
    if (!left)
        return;
    cancelDeadline();
    m_deadlineCancellation = std::make_shared<Cancellation>();
    m_deadlineTask.emplace(deadline(QPointer<SessionController>(this), m_wait, *left, id, m_deadlineCancellation));
}

void SessionController::cancelDeadline()
{
    if (m_deadlineCancellation)
        m_deadlineCancellation->cancel();
    m_deadlineCancellation.reset();
    m_deadlineTask.reset();
}

} // namespace pelorin
