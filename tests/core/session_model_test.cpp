#include "core_test_support.h"

#include <gtest/gtest.h>

#include <set>

using namespace pelorin;

namespace {

const Date startDate = Date::fromReferenceSeconds(780'000'000.0);

} // namespace

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

    SessionID::Bytes bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 17);
    EXPECT_EQ(SessionID(bytes).toString(), "00112233-4455-6677-8899-aabbccddeeff");
}

TEST(CoreSession, InitDerivesSpanAndDeadline)
{
    const Session timed(testId(0xa1), {SessionDuration::hour1(), false}, startDate);
    EXPECT_EQ(timed.effectiveDuration, Duration::seconds(3600));
    EXPECT_EQ(timed.deadline, startDate.addingTimeInterval(3600));

    const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.effectiveDuration, std::nullopt);
    EXPECT_EQ(open.deadline, std::nullopt);

    const auto odd = Duration::seconds(900) + Duration::milliseconds(900);
    const Session fractional(testId(0xa1), {SessionDuration::custom(odd), true}, startDate);
    EXPECT_EQ(fractional.deadline, startDate.addingTimeInterval(900.9));
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

TEST(CoreEnergyFailure, AFailedReleaseAlwaysRetainsResources)
{
    using Op = EnergyFailure::Operation;
    EXPECT_TRUE(EnergyFailure(Op::release, 5, false).retainsResources);
    EXPECT_FALSE(EnergyFailure(Op::createDisplay, 5, false).retainsResources);
    EXPECT_FALSE(EnergyFailure::invalidDuration().retainsResources);
}
