// The application model over a controller with a pending-until-told service
// and a hand-moved clock: start, refresh and shutdown, the panel flag, and the
// staged states of snapshot runs.

#include "fake_engine_model.h"

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

class AppModelTest : public testing::Test, protected shelltest::FakeEngineModel {
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
    EXPECT_EQ(*loginReads, 1);

    QCoro::waitFor(model->start());
    EXPECT_EQ(*loginReads, 1);
    EXPECT_EQ(state(), StateKind::inactive);
}

TEST_F(AppModelTest, RefreshActsOnlyWhileRunning)
{
    activateDirectly();
    clock.monotonic = secs(3600);

    QCoro::waitFor(model->refresh());
    EXPECT_EQ(*loginReads, 0);
    EXPECT_EQ(state(), StateKind::active);

    QCoro::waitFor(model->start());
    QCoro::waitFor(model->refresh());
    EXPECT_EQ(*loginReads, 2);
    // The overdue session ends on the refresh.
    EXPECT_EQ(state(), StateKind::stopping);
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
    EXPECT_EQ(*loginReads, 2);
    model->setPanelVisible(false);

    clock.monotonic = secs(1801);
    model->setPanelVisible(true);
    EXPECT_EQ(state(), StateKind::stopping);
    EXPECT_EQ(*loginReads, 3);
    EXPECT_EQ(visible.count(), 3);
    settle();
    EXPECT_EQ(service->last().kind, CallKind::release);

    // A repeat of the same value notifies nobody but still checks again.
    model->setPanelVisible(true);
    EXPECT_EQ(visible.count(), 3);
    EXPECT_EQ(*loginReads, 4);
}

TEST_F(AppModelTest, ClosingThePanelOnlyStoresTheFlag)
{
    QCoro::waitFor(model->start());
    model->setPanelVisible(true);
    const int reads = *loginReads;
    model->setPanelVisible(false);
    EXPECT_FALSE(model->panelVisible());
    EXPECT_EQ(*loginReads, reads);
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

TEST_F(AppModelTest, FixturesAreStagedOnlyInSnapshotRuns)
{
    model->applySnapshotFixture(AppModel::Active);
    EXPECT_FALSE(model->countdown().fixture().has_value());
    EXPECT_TRUE(model->preferences().armed());
}

struct Scenario {
    int number;
    StateKind kind;
    bool carriesSession;
    bool armed;
    std::optional<EnergyFailure> failure;
};

TEST_F(AppModelTest, SnapshotScenarios)
{
    const std::vector<Scenario> scenarios{
        {0, StateKind::inactive, false, true, std::nullopt},
        {1, StateKind::inactive, false, false, std::nullopt},
        {2, StateKind::active, true, true, std::nullopt},
        {3, StateKind::failed, false, true, EnergyFailure(Op::createSystem, -1, false)},
        {4, StateKind::failed, true, true, EnergyFailure(Op::release, -1, true)},
        {5, StateKind::starting, true, true, std::nullopt},
        {6, StateKind::stopping, true, true, std::nullopt},
        {7, StateKind::inactive, false, true, std::nullopt},
        {-1, StateKind::inactive, false, true, std::nullopt},
    };
    for (const Scenario &scenario : scenarios) {
        SCOPED_TRACE(scenario.number);
        make(true);
        // The switch starts the other way round, so each scenario has to set it.
        model->preferences().stageArmed(scenario.number == 1);
        QSignalSpy stateChanges(&model->countdown(), &Countdown::stateChanged);
        model->applySnapshotFixture(scenario.number);

        ASSERT_TRUE(model->countdown().fixture().has_value());
        const SessionState &state = model->countdown().state();
        EXPECT_EQ(state.kind(), scenario.kind);
        EXPECT_EQ(state.session().has_value(), scenario.carriesSession);
        EXPECT_EQ(state.failure(), scenario.failure);
        EXPECT_EQ(model->preferences().armed(), scenario.armed);
        EXPECT_EQ(stateChanges.count(), 1);
        // The live engine is untouched.
        EXPECT_EQ(controller().state(), SessionState::inactive());

        if (scenario.carriesSession) {
            const Session &session = *state.session();
            EXPECT_EQ(session.selection, hourWithDisplay);
            // Started a quarter of an hour ago: 45 minutes of the hour left.
            EXPECT_EQ(model->countdown().remaining(), secs(2700));
            ASSERT_TRUE(session.deadline.has_value());
            EXPECT_NEAR(session.deadline->timeIntervalSince(Date::now()), 2700, 5);
        } else {
            EXPECT_EQ(model->countdown().remaining(), std::nullopt);
        }
    }
    EXPECT_TRUE(service->calls.empty());
}

TEST_F(AppModelTest, StagedSessionFollowsTheStoredSelection)
{
    make(true);
    model->countdown().setSelection({SessionDuration::untilStopped(), false});
    model->applySnapshotFixture(AppModel::Active);
    ASSERT_TRUE(model->countdown().state().session().has_value());
    EXPECT_EQ(model->countdown().state().session()->selection.duration, SessionDuration::untilStopped());
    EXPECT_EQ(model->countdown().remaining(), std::nullopt);
    // A staged session cannot be stopped.
    model->countdown().stop();
    EXPECT_EQ(model->countdown().state().kind(), StateKind::active);
}

} // namespace
