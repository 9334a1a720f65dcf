#pragma once

#include "boot_clock.h"
#include "energy_service.h"
#include "session_machine.h"

#include <QObject>
#include <QUuid>

#include <QCoroTask>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>

namespace pelorin {

// Runs sessions in real time: feeds the state machine, publishes its state,
// carries out its effects as operations on the main thread, and keeps each
// session's start on a monotonic clock for the time left.
class SessionController : public QObject {
    Q_OBJECT
public:
    using Now = std::function<Date()>;
    using Monotonic = std::function<Duration()>;
    using MakeID = std::function<SessionID()>;
    // Sleeps for a span; yields false when the cancellation came first, and
    // throws EnergyFailure when it cannot wait at all.
    using Wait = std::function<QCoro::Task<bool>(Duration, std::shared_ptr<Cancellation>)>;

    SessionController(SessionState state, std::shared_ptr<EnergyService> service, Now now, Monotonic monotonic,
                      MakeID makeID, Wait wait, QObject *parent = nullptr);
    ~SessionController() override;

    // The clocks and ID source of a running program: wall-clock now, the boot
    // clock (it keeps counting through suspend) from this moment on, random
    // IDs, and sleeping on the boot clock.
    static std::unique_ptr<SessionController> makeDefault(std::shared_ptr<EnergyService> service,
                                                          QObject *parent = nullptr);

    const SessionState &state() const { return m_state; }

    void start(const SessionSelection &selection);
    void send(const SessionMachine::Event &event);
    // Time left of the session the state carries; absent without an end.
    std::optional<Duration> remaining() const;
    // Ends the active session when its time is used up.
    void expireIfDue();
    void extend(Duration step);
    // Completes once no operation is pending, including the ones that start
    // while it waits.
    QCoro::Task<> drain();

    // For inspection.
    std::size_t pendingOperations() const { return m_operations.size(); }
    bool hasDeadline() const { return m_deadlineTask.has_value(); }
    std::optional<Duration> startStamp(const SessionID &id) const;
    const EnergyService &service() const { return *m_service; }

Q_SIGNALS:
    void stateChanged();

private:
    // Feeds one event, publishes the new state and performs the effects;
    // true when the state changed. Notifying observers is left to the caller.
    bool apply(const SessionMachine::Event &event);
    void perform(const SessionMachine::Effect &effect);
    void launch(QCoro::Task<> (SessionController::*operation)(QUuid, SessionMachine::Effect),
                const SessionMachine::Effect &effect);
    QCoro::Task<> acquireOperation(QUuid key, SessionMachine::Effect effect);
    QCoro::Task<> releaseOperation(QUuid key, SessionMachine::Effect effect);
    QCoro::Task<> extendOperation(QUuid key, Session longer, Duration stamp);
    void finishOperation(const QUuid &key);
    void scheduleDeadline(const SessionID &id);
    void cancelDeadline();

    SessionState m_state;
    SessionMachine m_machine;
    std::shared_ptr<EnergyService> m_service;
    Now m_now;
    Monotonic m_monotonic;
    std::unordered_map<SessionID, Duration> m_startedAt;
    MakeID m_makeID;
    Wait m_wait;
    std::optional<QCoro::Task<>> m_deadlineTask;
    std::shared_ptr<Cancellation> m_deadlineCancellation;
    std::map<QUuid, QCoro::Task<>> m_operations;
};

} // namespace pelorin
