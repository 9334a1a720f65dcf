// The delegate over the model and the engine's fakes: launch, becoming
// active, the sleep notice, the one way out, and the validation run.

#include "app/fake_app_model.h"
#include "shell_test_support.h"
#include "sleep_monitor.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pelorin;
using namespace pelorin::fakes;
using CallKind = ServiceCall::Kind;
using StateKind = SessionState::Kind;
using namespace std::chrono_literals;

namespace {

class ApplicationDelegateTest : public testing::Test, protected fakes::FakeAppModel {
protected:
    ApplicationDelegateTest() { wire(); }

    ~ApplicationDelegateTest() override { delegate.setModel(nullptr); }

    void wire(const QStringList &arguments = {QStringLiteral("pelorin")})
    {
        delegate.setModel(model.get());
        delegate.setArguments(arguments);
        delegate.setExit([this](int status) { exits.push_back(status); });
        delegate.setWelcomeRoute([this](AppModel &) { ++welcomes; });
    }

    void launch()
    {
        delegate.applicationDidFinishLaunching();
        settle();
        ASSERT_TRUE(model->isRunning());
    }

    PelorinApplicationDelegate delegate;
    std::vector<int> exits;
    int welcomes = 0;
};

TEST_F(ApplicationDelegateTest, QuitWithNothingRunningExitsAtOnce)
{
    launch();
    delegate.requestTermination();
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_TRUE(service->calls.empty());
}

TEST_F(ApplicationDelegateTest, SleepNoticeEndsTheSessionForGood)
{
    launch();
    model->countdown().start(SessionDuration::untilStopped());
    settle();
    service->last().succeed();
    settle();
    ASSERT_EQ(state(), StateKind::active);

    delegate.willSleep();
    EXPECT_EQ(state(), StateKind::stopping);
    settle();
    service->last().succeed();
    settle();
    EXPECT_EQ(state(), StateKind::inactive);
    // Nothing brings it back after waking.
    delegate.applicationDidBecomeActive();
    settle();
    EXPECT_EQ(state(), StateKind::inactive);
    EXPECT_EQ(service->count(CallKind::acquire), 1U);
}

TEST_F(ApplicationDelegateTest, DelayLockGoesOnlyOnceTheReleaseHasFinished)
{
    test::TestBus bus;
    ASSERT_TRUE(bus.isValid());
    ASSERT_TRUE(bus.startServices(shelltest::Kind::system, {shelltest::logind}));
    const auto logind = bus.services(shelltest::Kind::system);
    SleepMonitor monitor(bus.connection(shelltest::Kind::system));
    delegate.setSleepMonitor(&monitor);
    launch();
    ASSERT_TRUE(shelltest::spinUntil([&] { return monitor.holdsDelayLock(); }));

    model->countdown().start(SessionDuration::hour1());
    settle();
    service->last().succeed();
    settle();
    ASSERT_EQ(state(), StateKind::active);

    logind.emitPrepareForSleep(true);
    ASSERT_TRUE(shelltest::spinUntil([&] { return state() == StateKind::stopping; }));
    settle();
    ASSERT_EQ(service->last().kind, CallKind::release);
    // The release is still under way: the machine must keep waiting.
    shelltest::spinFor(50ms);
    EXPECT_TRUE(monitor.holdsDelayLock());

    // logind stopped waiting; the machine slept and woke before the release
    // ended. The lock held now is for the next sleep and stays.
    logind.emitPrepareForSleep(false);
    shelltest::spinFor(50ms);
    service->last().succeed();
    settle();
    EXPECT_EQ(state(), StateKind::inactive);
    EXPECT_TRUE(monitor.holdsDelayLock());
    EXPECT_TRUE(logind.waitForLockCount(1));

    // The next sleep with nothing running lets it go at once.
    logind.emitPrepareForSleep(true);
    ASSERT_TRUE(shelltest::spinUntil([&] { return !monitor.holdsDelayLock(); }));
    EXPECT_TRUE(logind.waitForLockCount(0));
    delegate.setSleepMonitor(nullptr);
}

} // namespace
