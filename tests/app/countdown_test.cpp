// The facade's guards between the screens and the controller, and the staged
// state of snapshot runs.

#include "countdown.h"
#include "engine_fakes.h"

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::fakes;
using Kind = ServiceCall::Kind;
using Op = EnergyFailure::Operation;

namespace {

const SessionSelection defaultSelection{SessionDuration::hour1(), true};

class CountdownTest : public testing::Test {
protected:
    CountdownTest()
    {
        countdown = std::make_unique<Countdown>(
            std::make_unique<SessionController>(SessionState::inactive(), service, clock.nowFunction(),
                                                clock.monotonicFunction(), clock.makeIDFunction(), waits.function()));
        countdown->setIsArmed([this] { return armed; });
        countdown->setRunning(true);
        QObject::connect(countdown.get(), &Countdown::selectionChanged, [this] { ++selectionNotices; });
        QObject::connect(countdown.get(), &Countdown::stateChanged, [this] { ++stateNotices; });
    }

    ~CountdownTest() override
    {
        countdown.reset();
        settle();
        waits.endAll();
        service->finishAll();
        settle();
    }

    SessionController &controller() { return countdown->sessions(); }
    SessionState::Kind kind() const { return countdown->state().kind(); }
    // Lets the pending operation answer and the next turns pass.
    void answer(std::optional<EnergyFailure> failure = std::nullopt)
    {
        settle();
        service->last().finish(failure);
        settle();
    }
    void resetNotices()
    {
        selectionNotices = 0;
        stateNotices = 0;
    }

    FakeClock clock;
    FakeWaits waits;
    std::shared_ptr<FakeEnergyService> service = std::make_shared<FakeEnergyService>();
    std::unique_ptr<Countdown> countdown;
    bool armed = true;
    int selectionNotices = 0;
    int stateNotices = 0;
};

// ---- duration tiles ----------------------------------------------------------------

TEST_F(CountdownTest, TileBeforeTheModelRunsStoresTheSelectionButStartsNothing)
{
    countdown->setRunning(false);
    countdown->setSelection({SessionDuration::hour1(), false});
    countdown->start(SessionDuration::hours4());
    EXPECT_EQ(countdown->selection(), (SessionSelection{SessionDuration::hours4(), false}));
    EXPECT_EQ(selectionNotices, 2);
    EXPECT_EQ(kind(), SessionState::Kind::inactive);
    EXPECT_EQ(controller().pendingOperations(), 0u);
}

TEST_F(CountdownTest, TileStartsWithItsDurationAndTheDisplayChoiceAsItWas)
{
    countdown->setSelection({SessionDuration::hour1(), false});
    resetNotices();
    countdown->start(SessionDuration::hours2());
    const SessionSelection chosen{SessionDuration::hours2(), false};
    EXPECT_EQ(countdown->selection(), chosen);
    EXPECT_EQ(selectionNotices, 1);
    EXPECT_EQ(countdown->state(), SessionState::starting(Session(testId(1), chosen, clock.wall)));
    EXPECT_EQ(stateNotices, 1);
}

TEST_F(CountdownTest, TileIsRefusedWhileASessionExistsOrIsChanging)
{
    const auto tapRefused = [this](const char *when) {
        SCOPED_TRACE(when);
        settle();
        const SessionSelection before = countdown->selection();
        const std::size_t operationsBefore = controller().pendingOperations();
        const SessionState stateBefore = countdown->state();
        resetNotices();
        countdown->start(SessionDuration::hours8());
        countdown->start();
        EXPECT_EQ(countdown->selection(), before);
        EXPECT_EQ(selectionNotices, 0);
        EXPECT_EQ(stateNotices, 0);
        EXPECT_EQ(countdown->state(), stateBefore);
        EXPECT_EQ(controller().pendingOperations(), operationsBefore);
    };

    countdown->start(SessionDuration::hour1());
    tapRefused("starting");
    answer();
    ASSERT_EQ(kind(), SessionState::Kind::active);
    tapRefused("active");
    countdown->stop();
    ASSERT_EQ(kind(), SessionState::Kind::stopping);
    tapRefused("stopping");
    answer(EnergyFailure(Op::release, -16, true));
    ASSERT_EQ(kind(), SessionState::Kind::failed);
    ASSERT_TRUE(countdown->state().session().has_value());
    tapRefused("failed with a session kept");
    EXPECT_EQ(service->count(Kind::acquire), 1u);
}

TEST_F(CountdownTest, StartNeedsTheModelRunningAndTheUtilityArmed)
{
    countdown->setRunning(false);
    countdown->start();
    EXPECT_EQ(kind(), SessionState::Kind::inactive);
    countdown->setRunning(true);
    armed = false;
    countdown->start();
    EXPECT_EQ(kind(), SessionState::Kind::inactive);
    armed = true;
    countdown->start();
    EXPECT_EQ(countdown->state(), SessionState::starting(Session(testId(1), defaultSelection, clock.wall)));
}

// ---- the selection -------------------------------------------------------------------

TEST_F(CountdownTest, SelectionWritesAreRefusedWhileASessionExistsOrIsChanging)
{
    countdown->start();
    countdown->setSelection({SessionDuration::hours8(), false});
    EXPECT_EQ(countdown->selection(), defaultSelection);
    answer();
    countdown->setSelection({SessionDuration::hours8(), false});
    EXPECT_EQ(countdown->selection(), defaultSelection);
    EXPECT_EQ(selectionNotices, 0);
}

// ---- stop, toggle and extend -------------------------------------------------------------

TEST_F(CountdownTest, ToggleStartsWithoutSessionAndStopsWithOne)
{
    countdown->toggle();
    EXPECT_EQ(kind(), SessionState::Kind::starting);
    answer();
    countdown->toggle();
    EXPECT_EQ(kind(), SessionState::Kind::stopping);

    // "Try again" on a failure that kept the session releases it.
    answer(EnergyFailure(Op::release, -16, true));
    ASSERT_EQ(kind(), SessionState::Kind::failed);
    countdown->toggle();
    EXPECT_EQ(kind(), SessionState::Kind::stopping);
    answer();
    EXPECT_EQ(kind(), SessionState::Kind::inactive);
    EXPECT_EQ(service->count(Kind::release), 2u);
}

TEST_F(CountdownTest, ExtendAsksForHalfAnHourOnlyWhileActiveAndRunning)
{
    countdown->extend();
    countdown->start();
    countdown->extend();
    EXPECT_EQ(controller().pendingOperations(), 1u);
    answer();
    ASSERT_EQ(kind(), SessionState::Kind::active);

    countdown->setRunning(false);
    countdown->extend();
    EXPECT_EQ(controller().pendingOperations(), 0u);

    countdown->setRunning(true);
    countdown->extend();
    EXPECT_EQ(controller().pendingOperations(), 1u);
    settle();
    ASSERT_EQ(service->last().kind, Kind::extend);
    EXPECT_EQ(service->last().session->effectiveDuration, secs(5400));
    answer();
    ASSERT_TRUE(countdown->state().session().has_value());
    EXPECT_EQ(countdown->state().session()->selection.duration, SessionDuration::custom(secs(5400)));

    countdown->stop();
    countdown->extend();
    EXPECT_EQ(controller().pendingOperations(), 1u);
    answer();
    countdown->extend();
    EXPECT_EQ(controller().pendingOperations(), 0u);
    EXPECT_EQ(service->count(Kind::extend), 1u);
}

} // namespace
