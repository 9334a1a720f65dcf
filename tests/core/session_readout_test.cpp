#include "core_test_support.h"
#include "session_readout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

using namespace pelorin;

namespace {

constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();

Duration span(std::int64_t seconds, std::int64_t milliseconds = 0)
{
    return Duration::seconds(seconds) + Duration::milliseconds(milliseconds);
}

} // namespace

TEST(CoreCountdownTime, RoundsUpToWholeSeconds)
{
    struct Case {
        Duration remaining;
        CountdownTime expected;
    };
    const Case cases[] = {
        {Duration::zero(), {0, 0, 0}}, {span(0, 200), {0, 0, 1}},    {Duration::attoseconds(1), {0, 0, 1}},
        {span(1), {0, 0, 1}},          {span(59, 999), {0, 1, 0}},   {span(60), {0, 1, 0}},
        {span(3599, 500), {1, 0, 0}},  {span(3661, 400), {1, 1, 2}}, {span(25 * 3600 + 61), {25, 1, 1}},
        {span(360'000), {100, 0, 0}},  {span(4500), {1, 15, 0}},     {-Duration::attoseconds(1), {0, 0, 0}},
        {-span(0, 200), {0, 0, 0}},    {-span(3600), {0, 0, 0}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.remaining));
        EXPECT_EQ(CountdownTime(c.remaining), c.expected);
    }
}

TEST(CoreCountdownTime, SaturatesAtTheLargestSeconds)
{
    // 9223372036854775807 s is 2562047788015215 h 30 min 7 s.
    const CountdownTime largest(2'562'047'788'015'215, 30, 7);
    EXPECT_EQ(CountdownTime(Duration::seconds(int64Max)), largest);
    // Rounding the last fraction up would overflow; it saturates instead.
    EXPECT_EQ(CountdownTime(Duration::seconds(int64Max) + Duration::attoseconds(1)), largest);
    EXPECT_EQ(CountdownTime(Duration::seconds(int64Max) + Duration::seconds(int64Max)), largest);
    EXPECT_EQ(largest.duration(), Duration::seconds(int64Max));

    // The longest staged span keeps its exact value one hour short of the end.
    EXPECT_EQ(CountdownTime(Duration::seconds(int64Max - 3600)), CountdownTime(2'562'047'788'015'214, 30, 7));
}

TEST(CoreCountdownTime, TextPadsToTwoDigitsAndRebuildsTheRoundedSpan)
{
    EXPECT_EQ(CountdownTime(0, 5, 9).fields(), (std::array<std::string, 3>{"00", "05", "09"}));
    EXPECT_EQ(CountdownTime(1, 5, 9).text(), "01:05:09");
    EXPECT_EQ(CountdownTime(span(360'900)).text(), "100:15:00");

    EXPECT_EQ(CountdownTime(span(3661, 400)).duration(), span(3662));
    EXPECT_EQ(CountdownTime(25, 1, 1).duration(), span(90'061));
}

namespace {

const Session timed(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
const EnergyFailure releaseFailure(EnergyFailure::Operation::release, 5, false);
const EnergyFailure keptOnCreate(EnergyFailure::Operation::createDisplay, 5, true);
const EnergyFailure lostOnCreate(EnergyFailure::Operation::createSystem, 5, false);
const EnergyFailure lostLock(EnergyFailure::Operation::lost, 5, false);

struct ReadoutCase {
    const char *name;
    SessionState state;
    bool ready;
    std::optional<Duration> remaining;
    SessionReadout expected;
};

} // namespace

TEST(CoreSessionReadout, OneReadoutPerState)
{
    using K = SessionReadout::Kind;
    const auto left = span(3661, 400);
    const ReadoutCase cases[] = {
        {"inactive, not armed", SessionState::inactive(), false, std::nullopt, K::off},
        {"inactive, armed", SessionState::inactive(), true, std::nullopt, K::ready},
        {"inactive ignores remaining", SessionState::inactive(), true, left, K::ready},
        {"starting", SessionState::starting(timed), true, std::nullopt, K::starting},
        {"starting ignores remaining", SessionState::starting(timed), false, left, K::starting},
        {"active open", SessionState::active(open), true, std::nullopt, K::unlimited},
        {"active open ignores remaining", SessionState::active(open), true, left, K::unlimited},
        {"active timed", SessionState::active(timed), false, left, SessionReadout::countdown({1, 1, 2})},
        {"active timed, used up", SessionState::active(timed), true, Duration::zero(),
         SessionReadout::countdown({0, 0, 0})},
        {"active timed, overdue", SessionState::active(timed), true, -span(5), SessionReadout::countdown({0, 0, 0})},
        {"active timed, no time given yet", SessionState::active(timed), true, std::nullopt, K::starting},
        {"stopping", SessionState::stopping(timed), true, left, K::stopping},
        {"failed release", SessionState::failed(releaseFailure, timed), true, left, K::attention},
        {"failed, kept, no session", SessionState::failed(keptOnCreate, std::nullopt), false, std::nullopt,
         K::attention},
        {"invalid span", SessionState::failed(EnergyFailure::invalidDuration(), std::nullopt), true, std::nullopt,
         K::failed},
        {"failed, nothing held, session kept", SessionState::failed(lostOnCreate, timed), true, left, K::failed},
        {"lock lost for good", SessionState::failed(lostLock, std::nullopt), true, std::nullopt, K::lost},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SessionReadout(c.state, c.ready, c.remaining), c.expected);
    }
}
