#include "core_test_support.h"
#include "date.h"
#include "duration.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>

using pelorin::Date;
using pelorin::Duration;

namespace {

constexpr std::int64_t attoPerSecond = 1'000'000'000'000'000'000;
constexpr std::int64_t int64Max = std::numeric_limits<std::int64_t>::max();

} // namespace

TEST(CoreDuration, ComponentsOfPositiveAndNegativeSpans)
{
    const auto positive = Duration::seconds(3) + Duration::milliseconds(250);
    EXPECT_EQ(positive.components().seconds, 3);
    EXPECT_EQ(positive.components().attoseconds, 250'000'000'000'000'000);
    EXPECT_EQ(positive.toSeconds(), 3.25);

    // Both components truncate toward zero and share the span's sign.
    const auto minusOneAndAHalf = -(Duration::seconds(1) + Duration::milliseconds(500));
    EXPECT_EQ(minusOneAndAHalf.components().seconds, -1);
    EXPECT_EQ(minusOneAndAHalf.components().attoseconds, -500'000'000'000'000'000);
    EXPECT_EQ(minusOneAndAHalf.toSeconds(), -1.5);

    const auto minusAQuarter = Duration::zero() - Duration::milliseconds(250);
    EXPECT_EQ(minusAQuarter.components().seconds, 0);
    EXPECT_EQ(minusAQuarter.components().attoseconds, -250'000'000'000'000'000);
    EXPECT_EQ(minusAQuarter.toSeconds(), -0.25);

    const auto oneAttosecond = Duration::attoseconds(1);
    EXPECT_EQ(oneAttosecond.components().seconds, 0);
    EXPECT_EQ(oneAttosecond.components().attoseconds, 1);
    EXPECT_EQ(oneAttosecond.toSeconds(), 1e-18);

    const auto almostASecond = Duration::attoseconds(attoPerSecond - 1);
    EXPECT_EQ(almostASecond.components().seconds, 0);
    EXPECT_EQ(almostASecond.components().attoseconds, attoPerSecond - 1);
}

TEST(CoreDuration, ComparesExactlyWhereDoublesCannotTellApart)
{
    const auto base = Duration::seconds(1'000'000'000);
    const auto justLonger = base + Duration::attoseconds(1);
    ASSERT_EQ(base.toSeconds(), justLonger.toSeconds());
    EXPECT_LT(base, justLonger);
    EXPECT_NE(base, justLonger);
    EXPECT_GT(justLonger, base);

    // One span built in different units is one value, with one hash.
    EXPECT_EQ(Duration::seconds(90), Duration::milliseconds(90'000));
    EXPECT_EQ(Duration::seconds(90), Duration::nanoseconds(90'000'000'000));
    EXPECT_EQ(std::hash<Duration>()(Duration::seconds(90)), std::hash<Duration>()(Duration::milliseconds(90'000)));

    EXPECT_LT(-Duration::seconds(1), Duration::zero());
    EXPECT_LT(-Duration::seconds(2), -Duration::seconds(1) - Duration::attoseconds(1));
}

TEST(CoreDuration, ArithmeticAndRatio)
{
    auto d = Duration::seconds(3600);
    d += Duration::seconds(1800);
    EXPECT_EQ(d, Duration::seconds(5400));
    d -= Duration::seconds(5400) + Duration::attoseconds(1);
    EXPECT_EQ(d, -Duration::attoseconds(1));

    EXPECT_EQ(Duration::seconds(90) / Duration::seconds(60), 1.5);
    EXPECT_EQ((Duration::seconds(900) + Duration::milliseconds(900)) / Duration::seconds(1), 900.9);
    EXPECT_EQ(-Duration::seconds(30) / Duration::seconds(60), -0.5);
}

TEST(CoreDuration, FromDoubleSecondsRoundsToTheAttosecond)
{
    EXPECT_EQ(Duration::seconds(0.5), Duration::milliseconds(500));
    EXPECT_EQ(Duration::seconds(-2.25), -(Duration::seconds(2) + Duration::milliseconds(250)));
    EXPECT_EQ(Duration::seconds(3600.0), Duration::seconds(3600));
    EXPECT_EQ(Duration::seconds(0.0), Duration::zero());
    EXPECT_EQ(Duration::seconds(1e-18), Duration::attoseconds(1));
    EXPECT_EQ(Duration::seconds(-3e-18), -Duration::attoseconds(3));
    // 0.2 has no exact double; the span lands within an attosecond of the
    // double's own value and is positive.
    const auto c = Duration::seconds(0.2).components();
    EXPECT_EQ(c.seconds, 0);
    EXPECT_NEAR(static_cast<double>(c.attoseconds), 2e17, 100.0);
}

TEST(CoreDuration, SpansBeyondSixtyFourBitSecondsSaturate)
{
    const auto longest = Duration::seconds(int64Max) + Duration::attoseconds(attoPerSecond - 1);
    EXPECT_EQ(longest.components().seconds, int64Max);
    EXPECT_EQ(longest.components().attoseconds, attoPerSecond - 1);

    // Past the 64-bit range the parts must not wrap round to a negative span.
    const auto tooLong = Duration::seconds(int64Max) + Duration::seconds(int64Max);
    EXPECT_EQ(tooLong.components().seconds, int64Max);
    EXPECT_EQ(tooLong.components().attoseconds, attoPerSecond - 1);
    EXPECT_GT(tooLong.toSeconds(), 9e18);
    EXPECT_GT(tooLong / Duration::seconds(1), 9e18);

    const auto tooNegative = -tooLong;
    EXPECT_EQ(tooNegative.components().seconds, -int64Max);
    EXPECT_LT(tooNegative.toSeconds(), -9e18);

    // Exactness is kept in the value itself; only the split saturates.
    EXPECT_LT(longest, tooLong);

    // Doubles outside the range saturate too instead of being undefined.
    EXPECT_EQ(Duration::seconds(1e300).components().seconds, int64Max);
    EXPECT_EQ(Duration::seconds(std::numeric_limits<double>::infinity()).components().seconds, int64Max);
    EXPECT_EQ(Duration::seconds(1e300), longest);
    EXPECT_EQ(Duration::seconds(-1e300), -longest);
    EXPECT_EQ(Duration::seconds(std::nan("")), Duration::zero());
    EXPECT_EQ(Duration::seconds(9.2e18).components().seconds, 9'200'000'000'000'000'000);
}

TEST(CoreDate, DistantFutureIsTheStartOfTheYear4001)
{
    using namespace std::chrono;
    const auto reference = sys_days(year(2001) / January / 1);
    const auto distant = sys_days(year(4001) / January / 1);
    const auto span = duration_cast<seconds>(distant - reference).count();
    EXPECT_EQ(Date::distantFuture().timeIntervalSinceReferenceDate(), static_cast<double>(span));
    EXPECT_EQ(Date::fromUnixSeconds(978307200.0), Date::fromReferenceSeconds(0));
}

TEST(CoreDate, AddingClampedAddsTheSpanInSeconds)
{
    const Date start = Date::fromReferenceSeconds(780'000'000.0);
    EXPECT_EQ(start.addingClamped(Duration::seconds(3600)), start.addingTimeInterval(3600));
    EXPECT_EQ(start.addingClamped(Duration::milliseconds(1500)), start.addingTimeInterval(1.5));
    EXPECT_EQ(start.addingClamped(Duration::zero()), start);
}

TEST(CoreDate, AddingClampedTreatsANegativeSpanAsZero)
{
    const Date start = Date::fromReferenceSeconds(780'000'000.0);
    EXPECT_EQ(start.addingClamped(-Duration::seconds(5)), start);
    EXPECT_EQ(start.addingClamped(-Duration::attoseconds(1)), start);
    EXPECT_EQ(Date::distantFuture().addingClamped(-Duration::seconds(3600)), Date::distantFuture());
}

TEST(CoreDate, AddingClampedIsAbsentBeyondDistantFuture)
{
    const Date nearTheEnd = Date::distantFuture().addingTimeInterval(-10);
    EXPECT_EQ(nearTheEnd.addingClamped(Duration::seconds(10)), Date::distantFuture());
    EXPECT_EQ(nearTheEnd.addingClamped(Duration::seconds(11)), std::nullopt);

    const Date now = Date::fromReferenceSeconds(780'000'000.0);
    EXPECT_EQ(now.addingClamped(Duration::seconds(int64Max - 3600)), std::nullopt);
    // A span too long for 64-bit seconds must not wrap into a date in the past.
    const auto tooLong = Duration::seconds(int64Max) + Duration::seconds(int64Max);
    EXPECT_EQ(now.addingClamped(tooLong), std::nullopt);
}
