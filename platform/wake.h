#pragma once

#include <QObject>

#include <chrono>
#include <coroutine>
#include <cstdint>
#include <memory>
#include <optional>

namespace pelorin {

// The one way a waiting coroutine is resumed. A Wake is awaited once; the
// wait ends at the first of: fire() on one of its triggers, its time limit,
// or the end of its context object. The coroutine then goes on at a later
// turn of the event loop, never inside the signal handler or the destructor
// that ended the wait, so whatever ended it has run to its end by then.
//
// A coroutine that gets `contextGone` must not touch its context: it was
// destroyed (perhaps after the wait had ended for another reason). Any other
// cause means that the context still exists. A Wake without a context never
// ends that way.
//
// The resumption is posted to the application object and holds the wait only
// weakly: a wait that no longer exists is not resumed.
//
// QCoro 0.8's own waits fall short of this: its signal awaitable resumes
// inside the time-out timer's signal and never at all once its object is
// destroyed (the coroutine then waits for ever); sleepFor() and qCoro(timer)
// resume inside the timer's signal and know no context; a pending D-Bus call
// has no time limit and no way to hand a late answer on; and its tasks have
// neither a time limit nor a "whichever comes first". A suspended QCoro task
// cannot be destroyed from outside either, so a wait whose context goes must
// still end, later, rather than be dropped.
class Wake {
    struct State;

public:
    enum class Cause : std::uint8_t { fired, timedOut, contextGone };

    // What the handlers of the awaited events hold. It may outlive the wait:
    // then it does nothing.
    class Trigger {
    public:
        // Ends the wait unless something ended it first; true when this call did.
        bool fire() const;
        // Whether the wait has not ended yet.
        bool isPending() const;

    private:
        friend class Wake;
        explicit Trigger(std::weak_ptr<State> state) : m_state(std::move(state)) {}
        std::weak_ptr<State> m_state;
    };

    // A limit of zero or less ends the wait on the next turn of the event loop.
    // Copies share the one wait (GCC 12 copies an awaited lvalue).
    explicit Wake(QObject *context = nullptr, std::optional<std::chrono::milliseconds> limit = std::nullopt);

    Trigger trigger() const;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> coroutine);
    Cause await_resume() const;

private:
    std::shared_ptr<State> m_state;
};

// Goes on at the next turn of the event loop, so that code which must not run
// before its caller has finished waits its turn.
inline Wake nextTurn(QObject *context = nullptr)
{
    return Wake(context, std::chrono::milliseconds(0));
}

} // namespace pelorin
