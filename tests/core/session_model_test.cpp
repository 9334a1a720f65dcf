#include "core_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <set>

using namespace pelorin;

namespace {

constexpr std::int64_t attoPerSecond = 1'000'000'000'000'000'000;
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();

} // namespace

TEST(CoreDuration, ComponentsTruncateTowardZeroAndShareTheSign)
{
    struct Case {
        Duration span;
        std::int64_t seconds, attoseconds;
        double asDouble;
    };
    const Case cases[] = {
        {Duration::seconds(3) + Duration::milliseconds(250), 3, 250'000'000'000'000'000, 3.25},
        {-(Duration::seconds(1) + Duration::milliseconds(500)), -1, -500'000'000'000'000'000, -1.5},
        {Duration::zero() - Duration::milliseconds(250), 0, -250'000'000'000'000'000, -0.25},
        {Duration::attoseconds(1), 0, 1, 1e-18},
        {Duration::attoseconds(attoPerSecond - 1), 0, attoPerSecond - 1, 1.0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.asDouble);
        EXPECT_EQ(c.span.components().seconds, c.seconds);
        EXPECT_EQ(c.span.components().attoseconds, c.attoseconds);
        EXPECT_DOUBLE_EQ(c.span.toSeconds(), c.asDouble);
    }
}

TEST(CoreDuration, ComparesExactlyWhereDoublesCannotTellApart)
{
    const auto base = Duration::seconds(1'000'000'000);
    const auto justLonger = base + Duration::attoseconds(1);
    ASSERT_EQ(base.toSeconds(), justLonger.toSeconds());
    EXPECT_LT(base, justLonger);
    EXPECT_LT(-Duration::seconds(2), -Duration::seconds(1) - Duration::attoseconds(1));

    // One span built in different units is one value, with one hash.
    EXPECT_EQ(Duration::seconds(90), Duration::nanoseconds(90'000'000'000));
    EXPECT_EQ(std::hash<Duration>()(Duration::seconds(90)), std::hash<Duration>()(Duration::milliseconds(90'000)));
    EXPECT_EQ(Duration::seconds(3600) - Duration::seconds(3600) - Duration::attoseconds(1), -Duration::attoseconds(1));
    EXPECT_EQ((Duration::seconds(900) + Duration::milliseconds(900)) / Duration::seconds(1), 900.9);
    EXPECT_EQ(-Duration::seconds(30) / Duration::seconds(60), -0.5);
}

TEST(CoreDuration, SpansBeyondSixtyFourBitSecondsSaturate)
{
    const auto longest = Duration::seconds(int64Max) + Duration::attoseconds(attoPerSecond - 1);
    EXPECT_EQ(longest.components().seconds, int64Max);

    // Past the 64-bit range the parts must not wrap round to a negative span.
    const auto tooLong = Duration::seconds(int64Max) + Duration::seconds(int64Max);
    EXPECT_EQ(tooLong.components().seconds, int64Max);
    EXPECT_EQ(tooLong.components().attoseconds, attoPerSecond - 1);
    EXPECT_GT(tooLong.toSeconds(), 9e18);
    EXPECT_GT(tooLong / Duration::seconds(1), 9e18);
    EXPECT_EQ((-tooLong).components().seconds, -int64Max);
    // Exactness is kept in the value itself; only the split saturates.
    EXPECT_LT(longest, tooLong);

    // Doubles outside the range saturate too instead of being undefined.
    EXPECT_EQ(Duration::seconds(1e300), longest);
    EXPECT_EQ(Duration::seconds(-1e300), -longest);
    EXPECT_EQ(Duration::seconds(std::numeric_limits<double>::infinity()), longest);
    EXPECT_EQ(Duration::seconds(std::nan("")), Duration::zero());
    EXPECT_EQ(Duration::seconds(9.2e18).components().seconds, 9'200'000'000'000'000'000);
}

TEST(CoreDate, AddingClampedFloorsAtZeroAndIsAbsentBeyondDistantFuture)
{
    const Date nearTheEnd = Date::distantFuture().addingTimeInterval(-10);
    struct Case {
        const char *name;
        Date from;
        Duration span;
        std::optional<Date> expected;
    };
    const Case cases[] = {
        {"an hour", startDate, Duration::seconds(3600), startDate.addingTimeInterval(3600)},
        {"a fraction", startDate, Duration::milliseconds(1500), startDate.addingTimeInterval(1.5)},
        {"negative is zero", startDate, -Duration::seconds(5), startDate},
        {"an attosecond back is zero", startDate, -Duration::attoseconds(1), startDate},
        {"back from the end", Date::distantFuture(), -Duration::seconds(3600), Date::distantFuture()},
        {"up to the end", nearTheEnd, Duration::seconds(10), Date::distantFuture()},
        {"past the end", nearTheEnd, Duration::seconds(11), std::nullopt},
        {"far past the end", startDate, Duration::seconds(int64Max - 3600), std::nullopt},
        // A span too long for 64-bit seconds must not wrap into a date in the past.
        {"beyond 64 bits", startDate, Duration::seconds(int64Max) + Duration::seconds(int64Max), std::nullopt},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.from.addingClamped(c.span), c.expected) << c.name;
}

TEST(CoreSessionID, RandomIdsAreDistinctVersionFourUuids)
{
    std::set<SessionID> seen;
    for (int i = 0; i < 64; ++i) {
        const SessionID id = SessionID::random();
        EXPECT_EQ(id.rawValue()[6] >> 4, 4);
        EXPECT_EQ(id.rawValue()[8] & 0xc0, 0x80);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 64u);
}

TEST(CoreSession, ExtendedGrowsFromTheStartNotFromNow)
{
    const Session hour(testId(0xa1), {SessionDuration::hour1(), false}, startDate);
    const auto extended = hour.extended(Duration::seconds(1800));
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->selection, (SessionSelection{SessionDuration::custom(Duration::seconds(5400)), false}));
    EXPECT_EQ(extended->deadline, startDate.addingTimeInterval(5400));

    // Two steps on an hour is a custom two hours, not the preset.
    const auto twice = extended->extended(SessionDuration::extensionStep());
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->selection.duration, SessionDuration::custom(Duration::seconds(7200)));

    EXPECT_EQ(hour.extended(Duration::zero()), std::nullopt);
    EXPECT_EQ(hour.extended(-Duration::attoseconds(1)), std::nullopt);
    const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.extended(Duration::seconds(1800)), std::nullopt);
}

TEST(CoreSession, RemainingCountsDownToZero)
{
    const Session hour(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    EXPECT_EQ(hour.remaining(startDate.addingTimeInterval(600.5)), Duration::seconds(2999.5));
    EXPECT_EQ(hour.remaining(*hour.deadline), Duration::zero());
    EXPECT_EQ(hour.remaining(hour.deadline->addingTimeInterval(1e9)), Duration::zero());
    // Before the start (the wall clock was set back) the span is simply longer.
    EXPECT_EQ(hour.remaining(startDate.addingTimeInterval(-60)), Duration::seconds(3660));

    const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.remaining(startDate), std::nullopt);
}
