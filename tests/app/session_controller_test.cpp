// The controller in real time, with a service whose operations stay pending
// until the test lets them finish, waits the test fires by hand and a clock
// the test moves. The last group runs the real boot-clock sleep.

#include "engine_fakes.h"
#include "iokit_energy_service.h"
#include "session_controller.h"

#include <QTest>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace pelorin;
using namespace pelorin::fakes;
using testing::ElementsAre;
using testing::IsEmpty;
using Kind = ServiceCall::Kind;
using Op = EnergyFailure::Operation;

namespace {

const SessionSelection hourWithDisplay{SessionDuration::hour1(), true};
// The first session a test starts, as the fake clock and IDs make it.
const Session firstHour(testId(1), hourWithDisplay, FakeClock().wall);

class SessionControllerTest : public testing::Test, public EngineFakes {
protected:
    SessionControllerTest() { make(); }

    ~SessionControllerTest() override
    {
        controller.reset();
        endPending();
    }

    void make(std::shared_ptr<EnergyService> energy = {}, SessionController::Wait wait = {})
    {
        controller = makeController(std::move(energy), std::move(wait));
        QObject::connect(controller.get(), &SessionController::stateChanged, [this] { ++notifications; });
    }

    // The real lock service over a driver that records its calls, and the
    // real sleep on the boot clock.
    void useRealServiceAndClock()
    {
        auto recording = std::make_unique<RecordingDriver>();
        driver = recording.get();
        energy = std::make_shared<IOKitEnergyService>(std::move(recording));
        make(energy,
             [](Duration span, std::shared_ptr<Cancellation> c) { return sleepOnBootClock(span, std::move(c)); });
    }

    // Starts a session and lets its acquire succeed; its deadline (if any)
    // is waiting when this returns.
    Session activate(SessionSelection selection = hourWithDisplay)
    {
        controller->start(selection);
        settle();
        EXPECT_EQ(service->last().kind, Kind::acquire);
        service->last().succeed();
        settle();
        EXPECT_EQ(controller->state().kind(), SessionState::Kind::active);
        notifications = 0;
        return controller->state().session().value();
    }

    void stop() { controller->send(SessionMachine::Stop{}); }

    std::unique_ptr<SessionController> controller;
    int notifications = 0;
    RecordingDriver *driver = nullptr;
    std::shared_ptr<IOKitEnergyService> energy;
};

// ---- starting and stopping ------------------------------------------------------

TEST_F(SessionControllerTest, TimeLeftRunsFromTheStartRequestNotFromWhenTheAcquireRuns)
{
    clock.monotonic = secs(100);
    std::optional<Duration> seenByObserver;
    QObject::connect(controller.get(), &SessionController::stateChanged,
                     [this, &seenByObserver] { seenByObserver = controller->remaining(); });

    controller->start(hourWithDisplay);
    EXPECT_EQ(controller->state(), SessionState::starting(firstHour));
    // The acquire waits its turn; observers already find the time left.
    EXPECT_THAT(service->calls, IsEmpty());
    EXPECT_EQ(seenByObserver, secs(3600));

    clock.monotonic = secs(160);
    settle();
    ASSERT_EQ(service->calls.size(), 1u);
    EXPECT_EQ(service->last().kind, Kind::acquire);
    EXPECT_EQ(service->last().session, firstHour);
    EXPECT_EQ(service->last().remaining, secs(3540));

    service->last().succeed();
    EXPECT_EQ(controller->state(), SessionState::active(firstHour));
    clock.monotonic = secs(170);
    settle();
    // Armed with the time left when it was scheduled.
    ASSERT_EQ(waits.waits.size(), 1u);
    EXPECT_EQ(waits.waits[0]->span, secs(3540));
}

TEST_F(SessionControllerTest, AcquireThatSucceedsAfterTheTimeIsUpEndsTheSessionAtOnce)
{
    controller->start(hourWithDisplay);
    settle();
    clock.monotonic = secs(3600);
    service->last().succeed();
    EXPECT_EQ(controller->state(), SessionState::stopping(firstHour));
    settle();
    EXPECT_EQ(waits.pendingCount(), 0u);
    EXPECT_EQ(service->last().kind, Kind::release);
    EXPECT_EQ(service->last().id, testId(1));
}

// A failed acquire that may hold locks, and then a failed release, keep the
// session and its time; each stop tries the release again.
TEST_F(SessionControllerTest, FailuresThatMayHoldLocksKeepTheSessionAndStopRetries)
{
    controller->start(hourWithDisplay);
    settle();
    const EnergyFailure kept(Op::createDisplay, -110, true);
    service->last().fail(kept);
    EXPECT_EQ(controller->state(), SessionState::failed(kept, firstHour));
    clock.monotonic = secs(600);
    EXPECT_EQ(controller->remaining(), secs(3000));

    stop();
    settle();
    const EnergyFailure stuck(Op::release, -16, true);
    service->last().fail(stuck);
    EXPECT_EQ(controller->state(), SessionState::failed(stuck, firstHour));
    EXPECT_EQ(controller->remaining(), secs(3000));

    stop();
    EXPECT_EQ(controller->state(), SessionState::stopping(firstHour));
    settle();
    EXPECT_EQ(service->count(Kind::release), 2u);
    service->last().succeed();
    EXPECT_EQ(controller->state(), SessionState::inactive());
    EXPECT_EQ(controller->remaining(), std::nullopt);
}

TEST_F(SessionControllerTest, LateRenewalOfAGoneSessionChangesNothing)
{
    const Session a = activate();
    controller->extend(secs(1800));
    settle();
    ServiceCall &renewal = service->last();
    ASSERT_EQ(renewal.kind, Kind::extend);

    // Session A ends and B takes its place while A's renewal is still out.
    stop();
    settle();
    service->last().succeed();
    const Session b = activate({SessionDuration::hours2(), false});
    ASSERT_NE(a.id, b.id);
    const std::size_t waitsBefore = waits.waits.size();

    renewal.succeed();
    EXPECT_EQ(controller->state(), SessionState::active(b));
    EXPECT_EQ(notifications, 0);
    settle();
    EXPECT_EQ(waits.waits.size(), waitsBefore);
    EXPECT_EQ(waits.pendingCount(), 1u);
}

// ---- the deadline and extending ------------------------------------------------

TEST_F(SessionControllerTest, ExtendRenewsForTheNewTimeLeftAndOnlyTheNewDeadlineCounts)
{
    // Waits that pay no heed to cancellation: the deadline must check for
    // itself that it was replaced.
    waits.stubborn = true;
    const Session s = activate();
    clock.monotonic = secs(600);
    controller->extend(secs(1800));
    settle();
    const Session longer = *s.extended(secs(1800));
    ASSERT_EQ(service->last().kind, Kind::extend);
    EXPECT_EQ(service->last().session, longer);
    EXPECT_EQ(service->last().remaining, secs(4800));

    service->last().succeed();
    EXPECT_EQ(controller->state(), SessionState::active(longer));
    EXPECT_EQ(notifications, 1);
    EXPECT_EQ(controller->remaining(), secs(4800));
    settle();
    ASSERT_EQ(waits.waits.size(), 2u);
    EXPECT_TRUE(waits.waits[0]->cancellation->isCancelled());
    EXPECT_EQ(waits.waits[1]->span, secs(4800));

    waits.waits[0]->fire();
    settle();
    EXPECT_EQ(controller->state(), SessionState::active(longer));
    EXPECT_EQ(service->calls.size(), 2u);

    // The deadline in force ends the session and lets its locks go.
    waits.waits[1]->fire();
    EXPECT_EQ(controller->state(), SessionState::stopping(longer));
    settle();
    EXPECT_EQ(service->last().kind, Kind::release);
}

TEST_F(SessionControllerTest, NotifiesOnlyWhenTheStateChanges)
{
    stop();
    EXPECT_EQ(notifications, 0);
    // A span too short fails at once, without an operation; the same refusal
    // again is no change to report.
    controller->start({SessionDuration::custom(secs(10)), true});
    controller->start({SessionDuration::custom(secs(10)), true});
    EXPECT_EQ(controller->state(), SessionState::failed(EnergyFailure::invalidDuration(), std::nullopt));
    EXPECT_EQ(notifications, 1);
    settle();
    EXPECT_THAT(service->calls, IsEmpty());

    activate();
    stop();
    stop();
    EXPECT_EQ(notifications, 1);
}

// ---- the controller going away, and the boot clock -----------------------------

TEST_F(SessionControllerTest, ReleaseStillRunsWhenTheControllerIsGone)
{
    useRealServiceAndClock();
    controller->start(hourWithDisplay);
    settle();
    ASSERT_EQ(controller->state().kind(), SessionState::Kind::active);
    stop();
    controller.reset();
    settle();
    EXPECT_THAT(driver->log,
                ElementsAre("create system 3600 -> 1", "create display 3600 -> 2", "release 1", "release 2"));
    EXPECT_TRUE(energy->assertions().empty());
}

TEST_F(SessionControllerTest, AnswersForADestroyedControllerAreDropped)
{
    controller->start(hourWithDisplay);
    settle();
    controller.reset();
    service->last().succeed();
    settle();
    EXPECT_EQ(service->calls.size(), 1u);

    // Nor does a deadline sleeping on the boot clock outlive its controller:
    // its timer and frame would be reported by the leak checker.
    useRealServiceAndClock();
    controller->start(hourWithDisplay);
    settle();
    ASSERT_EQ(controller->state().kind(), SessionState::Kind::active);
    controller.reset();
    settle();
    EXPECT_EQ(driver->held.size(), 2u);
}

TEST_F(SessionControllerTest, RealDeadlineEndsTheSessionAndReleasesItsLocks)
{
    useRealServiceAndClock();
    controller->start({SessionDuration::hour1(), false});
    // Nearly all of the hour is gone by the time the locks are taken.
    clock.monotonic = secs(3600) - Duration::milliseconds(200);
    settle();
    ASSERT_EQ(controller->state().kind(), SessionState::Kind::active);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->state() == SessionState::inactive(); }, 10'000));
    EXPECT_THAT(driver->log, ElementsAre("create system 0.2 -> 1", "release 1"));
    EXPECT_TRUE(energy->assertions().empty());
}

// Out of file descriptors, the deadline's timer cannot be made. The session
// neither runs on unbounded nor ends as if its time were up: it fails where
// the user sees it, and its locks go.
TEST_F(SessionControllerTest, ADeadlineThatCannotBeArmedFailsTheSession)
{
    useRealServiceAndClock();
    controller = SessionController::makeDefault(energy);
    // One whole session first: the sanitizers need descriptors of their own
    // the first time they check a call, and have none later.
    controller->start({SessionDuration::hour1(), false});
    settle();
    stop();
    settle();
    ASSERT_EQ(controller->state(), SessionState::inactive());
    driver->log.clear();

    controller->start({SessionDuration::hour1(), false});
    // Out of descriptors: a low limit, filled up with copies of one of ours.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const int own = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(own, 0);
    std::vector<int> filler;
    for (int fd = ::dup(own); fd >= 0; fd = ::dup(own))
        filler.push_back(fd);
    ASSERT_EQ(errno, EMFILE);
    settle();
    for (const int fd : filler)
        ::close(fd);
    ::close(own);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);

    EXPECT_EQ(controller->state(), SessionState::failed(EnergyFailure(Op::lost, -EMFILE, false), std::nullopt));
    settle();
    EXPECT_THAT(driver->log, ElementsAre(testing::StartsWith("create system"), "release 2"));
    EXPECT_TRUE(energy->assertions().empty());
}

} // namespace
