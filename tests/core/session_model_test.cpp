#include "app_status.h"
#include "core_test_support.h"
#include "energy_failure.h"
#include "session.h"
#include "session_duration.h"
#include "session_id.h"
#include "session_state.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>
#include <vector>

using namespace pelorin;

namespace {

const Date startDate = Date::fromReferenceSeconds(780'000'000.0);

} // namespace

TEST(CoreSessionDuration, PresetsSpansAndValidity)
{
    using D = SessionDuration;
    // The tiles in their order, with their spans.
    const std::vector<std::pair<D, std::optional<Duration>>> presets = {
        {D::minutes30(), Duration::seconds(1800)}, {D::hour1(), Duration::seconds(3600)},
        {D::hours2(), Duration::seconds(7200)},    {D::hours4(), Duration::seconds(14400)},
        {D::hours8(), Duration::seconds(28800)},   {D::untilStopped(), std::nullopt},
    };
    const auto list = D::presetList();
    ASSERT_EQ(list.size(), presets.size());
    for (std::size_t i = 0; i < presets.size(); ++i) {
        EXPECT_EQ(list[i], presets[i].first) << i;
        EXPECT_EQ(list[i].duration(), presets[i].second) << i;
        EXPECT_TRUE(list[i].isValid()) << i;
    }
    EXPECT_EQ(D::extensionStep(), Duration::seconds(1800));

    // A custom span needs at least a minute.
    const std::pair<Duration, bool> custom[] = {
        {Duration::seconds(59), false}, {Duration::seconds(60) - Duration::attoseconds(1), false},
        {Duration::seconds(60), true},  {Duration::seconds(60) + Duration::attoseconds(1), true},
        {Duration::zero(), false},      {-Duration::seconds(3600), false},
    };
    for (const auto &[span, valid] : custom)
        EXPECT_EQ(D::custom(span).isValid(), valid) << testing::PrintToString(span);
}

TEST(CoreSessionDuration, CustomStaysApartFromPresetsInEqualityAndHash)
{
    const auto customHour = SessionDuration::custom(Duration::seconds(3600));
    EXPECT_NE(customHour, SessionDuration::hour1());
    EXPECT_EQ(customHour, SessionDuration::custom(Duration::milliseconds(3'600'000)));
    EXPECT_NE(customHour, SessionDuration::custom(Duration::seconds(3600) + Duration::attoseconds(1)));
    // Equal values hash alike, whatever unit built the payload.
    EXPECT_EQ(std::hash<SessionDuration>()(customHour),
              std::hash<SessionDuration>()(SessionDuration::custom(Duration::milliseconds(3'600'000))));

    const auto presets = SessionDuration::presetList();
    std::unordered_set<SessionDuration> set(presets.begin(), presets.end());
    set.insert(customHour);
    set.insert(SessionDuration::custom(Duration::seconds(1800)));
    set.insert(SessionDuration::custom(Duration::seconds(3600)));
    EXPECT_EQ(set.size(), 8u);
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
    EXPECT_EQ(extended->id, hour.id);
    EXPECT_EQ(extended->startedAt, startDate);
    EXPECT_EQ(extended->selection, (SessionSelection{SessionDuration::custom(Duration::seconds(5400)), false}));
    EXPECT_EQ(extended->deadline, startDate.addingTimeInterval(5400));
    EXPECT_EQ(hour.effectiveDuration, Duration::seconds(3600));

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

TEST(CoreSessionState, SessionTransitioningAssertionAndStatusPerCase)
{
    using Op = EnergyFailure::Operation;
    const Session s(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    const EnergyFailure kept(Op::createDisplay, 3, true);
    const EnergyFailure lost(Op::createSystem, 3, false);

    struct Case {
        const char *name;
        SessionState state;
        bool carriesSession, transitioning, holdsAssertion;
        AppStatus status;
    };
    const Case cases[] = {
        {"inactive", SessionState::inactive(), false, false, false, AppStatus::off},
        {"starting", SessionState::starting(s), true, true, false, AppStatus::working},
        {"active", SessionState::active(s), true, false, true, AppStatus::on},
        {"stopping", SessionState::stopping(s), true, true, false, AppStatus::working},
        {"failed, kept, with session", SessionState::failed(kept, s), true, false, true, AppStatus::failed},
        {"failed, kept, no session", SessionState::failed(kept, std::nullopt), false, false, true, AppStatus::failed},
        {"failed, lost, with session", SessionState::failed(lost, s), true, false, false, AppStatus::failed},
        {"failed, lost, no session", SessionState::failed(lost, std::nullopt), false, false, false, AppStatus::failed},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.state.session(), c.carriesSession ? std::optional(s) : std::nullopt);
        EXPECT_EQ(c.state.isTransitioning(), c.transitioning);
        EXPECT_EQ(c.state.holdsAssertion(), c.holdsAssertion);
        EXPECT_EQ(appStatus(c.state), c.status);
    }
}
