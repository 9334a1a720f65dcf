#pragma once

#include "session_controller.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace pelorin {

// The one object the screens talk to about the session: what is selected,
// the state, the time left, and the user's actions on it.
class Countdown : public QObject {
    Q_OBJECT
public:
    explicit Countdown(std::unique_ptr<SessionController> sessions, QObject *parent = nullptr);

    SessionController &sessions() const { return *m_sessions; }

    // The controller's state.
    const SessionState &state() const;
    const SessionSelection &selection() const { return m_storedSelection; }
    // Ignored while a session exists or a transition runs.
    void setSelection(const SessionSelection &selection);

    // A duration tile: stores the duration and starts at once.
    void start(const SessionDuration &duration);
    void start();
    void stop();
    void toggle();
    // "+30 min".
    void extend();
    std::optional<Duration> remaining() const;

    bool isRunning() const { return m_isRunning; }
    void setRunning(bool running) { m_isRunning = running; }
    void setIsArmed(std::function<bool()> isArmed) { m_isArmed = std::move(isArmed); }

Q_SIGNALS:
    void stateChanged();
    void selectionChanged();

private:
    bool refusesNewSession() const;

    SessionSelection m_storedSelection;
    std::function<bool()> m_isArmed = [] { return false; };
    std::unique_ptr<SessionController> m_sessions;
    bool m_isRunning = false;
};

} // namespace pelorin
