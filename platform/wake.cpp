#include "wake.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QTimer>

namespace pelorin {

struct Wake::State {
    std::optional<Cause> cause;
    std::coroutine_handle<> waiter;
    bool hasContext = false;
    QPointer<QObject> context;
    QMetaObject::Connection contextEnds;
    std::unique_ptr<QTimer> limit;

    ~State() { QObject::disconnect(contextEnds); }

    // Resumes the waiter on a later turn, if the wait still exists then.
    static void post(const std::shared_ptr<State> &state)
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [weak = std::weak_ptr<State>(state)] {
                const std::shared_ptr<State> alive = weak.lock();
                if (!alive)
                    return;
                if (const std::coroutine_handle<> waiter = std::exchange(alive->waiter, {}))
                    waiter.resume();
            },
            Qt::QueuedConnection);
    }

    static bool decide(const std::shared_ptr<State> &state, Cause cause)
    {
        if (state->cause)
            return false;
        state->cause = cause;
        // (The timer may be the one delivering the signal that led here; it
        // is only stopped, and goes with the wait.)
        if (state->limit)
            state->limit->stop();
        QObject::disconnect(state->contextEnds);
        if (state->waiter)
            post(state);
        return true;
    }
};

bool Wake::Trigger::fire() const
{
    const std::shared_ptr<State> state = m_state.lock();
    return state && State::decide(state, Cause::fired);
}

bool Wake::Trigger::isPending() const
{
    const std::shared_ptr<State> state = m_state.lock();
    return state && !state->cause;
}

Wake::Wake(QObject *context, std::optional<std::chrono::milliseconds> limit) : m_state(std::make_shared<State>())
{
    const std::weak_ptr<State> weak = m_state;
    if (context) {
        m_state->hasContext = true;
        m_state->context = context;
        m_state->contextEnds = QObject::connect(context, &QObject::destroyed, [weak] {
            if (const std::shared_ptr<State> state = weak.lock())
                State::decide(state, Cause::contextGone);
        });
    }
    if (limit && limit->count() <= 0) {
        m_state->cause = Cause::timedOut;
    } else if (limit) {
        m_state->limit = std::make_unique<QTimer>();
        m_state->limit->setSingleShot(true);
        QObject::connect(m_state->limit.get(), &QTimer::timeout, m_state->limit.get(), [weak] {
            if (const std::shared_ptr<State> state = weak.lock())
                State::decide(state, Cause::timedOut);
        });
        m_state->limit->start(*limit);
    }
}

Wake::Trigger Wake::trigger() const
{
    return Trigger(m_state);
}

void Wake::await_suspend(std::coroutine_handle<> coroutine)
{
    m_state->waiter = coroutine;
    if (m_state->cause)
        State::post(m_state);
}

Wake::Cause Wake::await_resume() const
{
    if (m_state->hasContext && !m_state->context)
        return Cause::contextGone;
    return *m_state->cause;
}

} // namespace pelorin
