// The application model over a controller with a pending-until-told service
// and a hand-moved clock: start, refresh and shutdown, the panel flag, and the
// staged states of snapshot runs.

#include "app/fake_app_model.h"
#include "shell_test_support.h"

#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::fakes;
using CallKind = ServiceCall::Kind;
using StateKind = SessionState::Kind;
using Op = EnergyFailure::Operation;

namespace {

const SessionSelection hourWithDisplay{SessionDuration::hour1(), true};

class AppModelTest : public testing::Test, protected fakes::FakeAppModel {
protected:
    // A session started on the controller itself (the countdown refuses
    // before the model runs), its locks taken.
    void activateDirectly(SessionSelection selection = hourWithDisplay)
    {
        controller().start(selection);
        settle();
        ASSERT_EQ(service->last().kind, CallKind::acquire);
        service->last().succeed();
        settle();
        ASSERT_EQ(state(), StateKind::active);
    }
};

TEST_F(AppModelTest, StartRunsOnceAndReadsTheLoginItemOnce)
{
    QCoro::waitFor(model->start());
    EXPECT_TRUE(model->isRunning());
    EXPECT_TRUE(model->countdown().isRunning());
    EXPECT_EQ(login->reads, 1);

    QCoro::waitFor(model->start());
    EXPECT_EQ(login->reads, 1);
    EXPECT_EQ(state(), StateKind::inactive);
}

TEST_F(AppModelTest, ShutdownBeforeStartStillStopsAndDrains)
{
    controller().start(hourWithDisplay);
    settle();
    ASSERT_EQ(service->calls.size(), 1U);

    auto shutdown = model->shutdown();
    EXPECT_EQ(state(), StateKind::stopping);
    EXPECT_FALSE(model->isRunning());
    EXPECT_FALSE(model->countdown().isRunning());
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
    EXPECT_EQ(controller().pendingOperations(), 0U);
}

TEST_F(AppModelTest, ShutdownRefusesNewSessions)
{
    QCoro::waitFor(model->start());
    QCoro::waitFor(model->shutdown());
    model->countdown().start(SessionDuration::hour1());
    EXPECT_EQ(state(), StateKind::inactive);
    EXPECT_TRUE(service->calls.empty());
}

TEST_F(AppModelTest, OpeningThePanelEndsAnOverdueSessionAtOnce)
{
    QCoro::waitFor(model->start());
    model->countdown().start(SessionDuration::minutes30());
    settle();
    service->last().succeed();
    settle();
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
    activateDirectly();
    clock.monotonic = secs(7200);

    model->setPanelVisible(true);
    EXPECT_TRUE(model->panelVisible());
    EXPECT_EQ(state(), StateKind::active);

    QCoro::waitFor(model->start());
    EXPECT_FALSE(model->isRunning());
    EXPECT_FALSE(model->countdown().isRunning());
    QCoro::waitFor(model->refresh());
    QCoro::waitFor(model->shutdown());
    EXPECT_EQ(state(), StateKind::active);
    EXPECT_EQ(service->calls.size(), 1U);
    EXPECT_FALSE(QFile::exists(settingsPath()));
}

struct Scenario {
    int number;
    StateKind kind;
    bool carriesSession;
    bool armed;
    std::optional<EnergyFailure> failure;
};

} // namespace
