// The application model over a controller with a pending-until-told service
// and a hand-moved clock: start, shutdown, the panel flag, and snapshot runs.

#include "app/fake_app_model.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::fakes;
using CallKind = ServiceCall::Kind;
using StateKind = SessionState::Kind;

namespace {

class AppModelTest : public testing::Test, protected fakes::FakeAppModel {};

TEST_F(AppModelTest, StartRunsOnceAndShutdownRefusesNewSessions)
{
    start();
    EXPECT_TRUE(countdown().isRunning());
    start();
    EXPECT_EQ(login->reads, 1);

    QCoro::waitFor(model->shutdown());
    countdown().start(SessionDuration::hour1());
    EXPECT_EQ(state(), StateKind::inactive);
    EXPECT_TRUE(service->calls.empty());
}

TEST_F(AppModelTest, ShutdownBeforeStartStillStopsAndDrains)
{
    // (the countdown refuses before the model runs)
    controller().start({SessionDuration::hour1(), true});
    settle();
    ASSERT_EQ(service->calls.size(), 1U);

    auto shutdown = model->shutdown();
    EXPECT_EQ(state(), StateKind::stopping);
    EXPECT_FALSE(model->isRunning());
    EXPECT_FALSE(countdown().isRunning());
    settle();
    EXPECT_FALSE(shutdown.isReady());

    // The acquire that was under way ends, and its locks are released.
    service->calls[0]->succeed();
    settle();
    ASSERT_EQ(service->calls.size(), 2U);
    EXPECT_EQ(service->calls[1]->kind, CallKind::release);
    EXPECT_FALSE(shutdown.isReady());
    service->calls[1]->succeed();
    settle();
    EXPECT_TRUE(shutdown.isReady());
    EXPECT_EQ(state(), StateKind::inactive);
}

TEST_F(AppModelTest, OpeningThePanelEndsAnOverdueSessionAtOnce)
{
    start();
    startSession(SessionDuration::minutes30());
    ASSERT_EQ(state(), StateKind::active);
    QSignalSpy visible(model.get(), &AppModel::panelVisibleChanged);

    // Still time left: opening changes nothing but the flag.
    clock.monotonic = secs(1799);
    model->setPanelVisible(true);
    EXPECT_EQ(state(), StateKind::active);
    EXPECT_EQ(login->reads, 2);
    model->setPanelVisible(false);

    clock.monotonic = secs(1801);
    model->setPanelVisible(true);
    EXPECT_EQ(state(), StateKind::stopping);
    EXPECT_EQ(login->reads, 3);
    EXPECT_EQ(visible.count(), 3);
    settle();
    EXPECT_EQ(service->last().kind, CallKind::release);

    // A repeat of the same value notifies nobody but still checks again.
    model->setPanelVisible(true);
    EXPECT_EQ(visible.count(), 3);
    EXPECT_EQ(login->reads, 4);
}

TEST_F(AppModelTest, SnapshotRunLeavesTheEngineAlone)
{
    make(true);
    controller().start({SessionDuration::hour1(), true});
    settle();
    service->last().succeed();
    settle();
    ASSERT_EQ(state(), StateKind::active);
    clock.monotonic = secs(7200);

    model->setPanelVisible(true);
    EXPECT_TRUE(model->panelVisible());
    EXPECT_EQ(state(), StateKind::active);

    start();
    EXPECT_FALSE(model->isRunning());
    EXPECT_FALSE(countdown().isRunning());
    QCoro::waitFor(model->refresh());
    QCoro::waitFor(model->shutdown());
    EXPECT_EQ(state(), StateKind::active);
    EXPECT_EQ(service->calls.size(), 1U);
}

} // namespace
