// The facade's guards between the screens and the controller.

#include "countdown.h"
#include "engine_fakes.h"

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::fakes;
using Kind = ServiceCall::Kind;
using State = SessionState::Kind;
using Op = EnergyFailure::Operation;

namespace {

class CountdownTest : public testing::Test, public EngineFakes {
protected:
    CountdownTest()
    {
        countdown = std::make_unique<Countdown>(makeController());
        countdown->setIsArmed([this] { return armed; });
        countdown->setRunning(true);
        QObject::connect(countdown.get(), &Countdown::selectionChanged, [this] { ++notices; });
        QObject::connect(countdown.get(), &Countdown::stateChanged, [this] { ++notices; });
    }

    ~CountdownTest() override
    {
        countdown.reset();
        endPending();
    }

    State kind() const { return countdown->state().kind(); }
    // Lets the pending operation answer and the next turns pass.
    void answer(std::optional<EnergyFailure> failure = std::nullopt)
    {
        settle();
        service->last().finish(failure);
        settle();
    }

    std::unique_ptr<Countdown> countdown;
    bool armed = true;
    int notices = 0;
};

TEST_F(CountdownTest, ATileStartsOnlyWhenRunningAndArmedAndKeepsTheDisplayChoice)
{
    countdown->setSelection({SessionDuration::hour1(), false});
    // Before the model runs, a tile only stores its duration.
    countdown->setRunning(false);
    countdown->start(SessionDuration::hours4());
    EXPECT_EQ(countdown->selection(), (SessionSelection{SessionDuration::hours4(), false}));
    EXPECT_EQ(kind(), State::inactive);
    countdown->setRunning(true);
    armed = false;
    countdown->start(SessionDuration::hours2());
    countdown->toggle();
    EXPECT_EQ(kind(), State::inactive);

    armed = true;
    countdown->start(SessionDuration::hours2());
    const SessionSelection chosen{SessionDuration::hours2(), false};
    EXPECT_EQ(countdown->selection(), chosen);
    EXPECT_EQ(countdown->state(), SessionState::starting(Session(testId(1), chosen, clock.wall)));
}

TEST_F(CountdownTest, NoNewSessionOrSelectionWhileASessionExistsOrIsChanging)
{
    const auto refused = [this](const char *when) {
        SCOPED_TRACE(when);
        settle();
        const SessionSelection selection = countdown->selection();
        const SessionState state = countdown->state();
        const std::size_t calls = service->calls.size();
        notices = 0;
        countdown->start(SessionDuration::hours8());
        countdown->start();
        countdown->setSelection({SessionDuration::hours4(), false});
        settle();
        EXPECT_EQ(countdown->selection(), selection);
        EXPECT_EQ(countdown->state(), state);
        EXPECT_EQ(notices, 0);
        EXPECT_EQ(service->calls.size(), calls);
    };

    countdown->start(SessionDuration::hour1());
    refused("starting");
    answer();
    ASSERT_EQ(kind(), State::active);
    refused("active");
    countdown->stop();
    refused("stopping");
    answer(EnergyFailure(Op::release, -16, true));
    ASSERT_EQ(kind(), State::failed);
    refused("failed with a session kept");
}

TEST_F(CountdownTest, ExtendAsksForHalfAnHourOnlyWhileActiveAndRunning)
{
    const auto extendAsks = [this] {
        const std::size_t before = service->count(Kind::extend);
        countdown->extend();
        settle();
        return service->count(Kind::extend) > before;
    };
    EXPECT_FALSE(extendAsks());
    countdown->start();
    EXPECT_FALSE(extendAsks());
    answer();
    ASSERT_EQ(kind(), State::active);
    countdown->setRunning(false);
    EXPECT_FALSE(extendAsks());

    countdown->setRunning(true);
    ASSERT_TRUE(extendAsks());
    EXPECT_EQ(service->last().session->effectiveDuration, secs(5400));
    answer();

    countdown->stop();
    EXPECT_FALSE(extendAsks());
}

} // namespace
