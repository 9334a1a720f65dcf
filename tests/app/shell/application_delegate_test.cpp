// The delegate over the model and the engine's fakes: quitting with nothing
// to end, and the sleep delay lock against a release that outlasts the sleep.

#include "app/fake_app_model.h"
#include "shell_test_support.h"
#include "sleep_monitor.h"

#include <gtest/gtest.h>

#include <vector>

using namespace pelorin;
using namespace pelorin::fakes;
using namespace pelorin::shelltest;
using CallKind = ServiceCall::Kind;
using StateKind = SessionState::Kind;

namespace {

class ApplicationDelegateTest : public testing::Test, protected fakes::FakeAppModel {
protected:
    ApplicationDelegateTest()
    {
        delegate.setModel(model.get());
        delegate.setArguments({QStringLiteral("pelorin")});
        delegate.setExit([this](int status) { exits.push_back(status); });
        delegate.setWelcomeRoute([](AppModel &) {});
    }

    ~ApplicationDelegateTest() override
    {
        delegate.setSleepMonitor(nullptr);
        delegate.setModel(nullptr);
    }

    void launch()
    {
        delegate.applicationDidFinishLaunching();
        settle();
        ASSERT_TRUE(model->isRunning());
    }

    PelorinApplicationDelegate delegate;
    std::vector<int> exits;
};

TEST_F(ApplicationDelegateTest, QuitWithNothingRunningExitsAtOnce)
{
    launch();
    delegate.requestTermination();
    EXPECT_EQ(exits, std::vector<int>{0});
    EXPECT_TRUE(service->calls.empty());
}

TEST_F(ApplicationDelegateTest, DelayLockGoesOnlyOnceTheReleaseHasFinished)
{
    test::TestBus bus;
    ASSERT_TRUE(bus.isValid());
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    const auto login1 = bus.services(Kind::system);
    SleepMonitor monitor(bus.connection(Kind::system));
    delegate.setSleepMonitor(&monitor);
    launch();
    ASSERT_TRUE(login1.waitForLockCount(1));
    startSession(SessionDuration::hour1());
    ASSERT_EQ(state(), StateKind::active);

    login1.emitPrepareForSleep(true);
    ASSERT_TRUE(spinUntil([&] { return state() == StateKind::stopping; }));
    settle();
    ASSERT_EQ(service->last().kind, CallKind::release);
    // The release is still under way: the machine must keep waiting.
    EXPECT_FALSE(login1.waitForLockCount(0, 100ms));

    // logind stopped waiting; the machine slept and woke before the release
    // ended. The lock held now is for the next sleep and stays.
    login1.emitPrepareForSleep(false);
    spinFor(50ms);
    service->last().succeed();
    settle();
    EXPECT_EQ(state(), StateKind::inactive);
    EXPECT_FALSE(login1.waitForLockCount(0, 100ms));

    // The next sleep with nothing running lets it go at once.
    login1.emitPrepareForSleep(true);
    EXPECT_TRUE(login1.waitForLockCount(0));
}

} // namespace
