// The one way a waiting coroutine is resumed: by whichever comes first of a
// trigger, a time limit and the end of its context, always on a later turn of
// the event loop, never inside the code that ended the wait.
#include "wake.h"

#include "settle.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

using namespace std::chrono_literals;
using pelorin::Wake;
using pelorin::test::settle;

namespace {

// A coroutine waiting on a Wake, and what it saw.
struct Waiter {
    std::optional<Wake::Cause> cause;
    bool contextAliveAtResume = false;
};

QCoro::Task<> wait(Wake wake, QPointer<QObject> context, std::shared_ptr<Waiter> waiter)
{
    const Wake::Cause cause = co_await wake;
    waiter->contextAliveAtResume = !context.isNull();
    waiter->cause = cause;
}

struct Case {
    const char *name;
    std::optional<std::chrono::milliseconds> limit;
    // Ends the wait (or not), given its trigger and its context.
    std::function<void(const Wake::Trigger &, std::unique_ptr<QObject> &)> end;
    Wake::Cause expected;
};

TEST(Wake, ResumesOnALaterTurnWithTheFirstCause)
{
    const Case cases[] = {
        {"fired", std::nullopt, [](const Wake::Trigger &t, auto &) { EXPECT_TRUE(t.fire()); }, Wake::Cause::fired},
        {"fired twice", std::nullopt,
         [](const Wake::Trigger &t, auto &) {
             EXPECT_TRUE(t.fire());
             EXPECT_FALSE(t.fire());
             EXPECT_FALSE(t.isPending());
         },
         Wake::Cause::fired},
        {"context destroyed", std::nullopt, [](const Wake::Trigger &, auto &c) { c.reset(); },
         Wake::Cause::contextGone},
        // The context went before the coroutine got to run: it must not
        // touch it, whatever ended the wait.
        {"fired, then context destroyed", std::nullopt,
         [](const Wake::Trigger &t, auto &c) {
             t.fire();
             c.reset();
         },
         Wake::Cause::contextGone},
        {"context destroyed, then fired", std::nullopt,
         [](const Wake::Trigger &t, auto &c) {
             c.reset();
             EXPECT_FALSE(t.fire());
         },
         Wake::Cause::contextGone},
        {"next turn", 0ms, [](const Wake::Trigger &, auto &) {}, Wake::Cause::timedOut},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto context = std::make_unique<QObject>();
        auto waiter = std::make_shared<Waiter>();
        const Wake wake(context.get(), c.limit);
        const Wake::Trigger trigger = wake.trigger();
        wait(wake, context.get(), waiter);
        EXPECT_TRUE(trigger.isPending() || c.limit);

        c.end(trigger, context);
        // Not inside the code that ended the wait.
        EXPECT_FALSE(waiter->cause);
        settle();
        ASSERT_TRUE(waiter->cause);
        EXPECT_EQ(*waiter->cause, c.expected);
        EXPECT_EQ(waiter->contextAliveAtResume, c.expected != Wake::Cause::contextGone);
        EXPECT_FALSE(trigger.isPending());
    }
}

TEST(Wake, ATimeLimitEndsTheWaitNoSooner)
{
    auto waiter = std::make_shared<Waiter>();
    QElapsedTimer clock;
    clock.start();
    wait(Wake(nullptr, 100ms), nullptr, waiter);
    ASSERT_TRUE(QTest::qWaitFor([&] { return waiter->cause.has_value(); }, 5000));
    EXPECT_GE(clock.elapsed(), 100);
    EXPECT_EQ(*waiter->cause, Wake::Cause::timedOut);
}

// The trigger may outlive its wait, and the wait its coroutine: neither
// resumes anything then.
TEST(Wake, ATriggerThatOutlivesItsWaitDoesNothing)
{
    std::optional<Wake::Trigger> trigger;
    {
        const Wake wake;
        trigger = wake.trigger();
    }
    EXPECT_FALSE(trigger->isPending());
    EXPECT_FALSE(trigger->fire());
    settle();
}

} // namespace
