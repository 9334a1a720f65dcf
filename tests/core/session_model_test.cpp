#include "app_status.h"
#include "core_test_support.h"
#include "energy_failure.h"
#include "session.h"
#include "session_duration.h"
#include "session_id.h"
#include "session_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_set>

using namespace pelorin;

namespace {

const Date startDate = Date::fromReferenceSeconds(780'000'000.0);

} // namespace

TEST(CoreSessionDuration, ValidityNeedsAtLeastAMinute)
{
    EXPECT_FALSE(SessionDuration::custom(Duration::seconds(59)).isValid());
    EXPECT_FALSE(SessionDuration::custom(Duration::seconds(60) - Duration::attoseconds(1)).isValid());
    EXPECT_TRUE(SessionDuration::custom(Duration::seconds(60)).isValid());
    EXPECT_TRUE(SessionDuration::custom(Duration::seconds(60) + Duration::attoseconds(1)).isValid());
    EXPECT_FALSE(SessionDuration::custom(Duration::zero()).isValid());
    EXPECT_FALSE(SessionDuration::custom(-Duration::seconds(5)).isValid());
    EXPECT_FALSE(SessionDuration::custom(-Duration::seconds(3600)).isValid());
    EXPECT_TRUE(SessionDuration::untilStopped().isValid());
    for (const auto &preset : SessionDuration::presetList())
        EXPECT_TRUE(preset.isValid());
}

TEST(CoreSessionDuration, PresetListIsTheSixTilesInOrder)
{
    const auto presets = SessionDuration::presetList();
    ASSERT_EQ(presets.size(), 6u);
    EXPECT_EQ(presets[0], SessionDuration::minutes30());
    EXPECT_EQ(presets[1], SessionDuration::hour1());
    EXPECT_EQ(presets[2], SessionDuration::hours2());
    EXPECT_EQ(presets[3], SessionDuration::hours4());
    EXPECT_EQ(presets[4], SessionDuration::hours8());
    EXPECT_EQ(presets[5], SessionDuration::untilStopped());

    std::unordered_set<SessionDuration> distinct(presets.begin(), presets.end());
    EXPECT_EQ(distinct.size(), presets.size());
    EXPECT_TRUE(std::none_of(presets.begin(), presets.end(),
                             [](const auto &d) { return d.kind() == SessionDuration::Kind::custom; }));
}

TEST(CoreSessionDuration, SpansOfEveryCase)
{
    EXPECT_EQ(SessionDuration::minutes30().duration(), Duration::seconds(1800));
    EXPECT_EQ(SessionDuration::hour1().duration(), Duration::seconds(3600));
    EXPECT_EQ(SessionDuration::hours2().duration(), Duration::seconds(7200));
    EXPECT_EQ(SessionDuration::hours4().duration(), Duration::seconds(14400));
    EXPECT_EQ(SessionDuration::hours8().duration(), Duration::seconds(28800));
    const auto odd = Duration::seconds(900) + Duration::milliseconds(900);
    EXPECT_EQ(SessionDuration::custom(odd).duration(), odd);
    EXPECT_EQ(SessionDuration::untilStopped().duration(), std::nullopt);
    EXPECT_EQ(SessionDuration::extensionStep(), Duration::seconds(1800));
}

TEST(CoreSessionDuration, EqualityAndHashKeepCustomApartFromPresets)
{
    const auto customHour = SessionDuration::custom(Duration::seconds(3600));
    EXPECT_NE(customHour, SessionDuration::hour1());
    EXPECT_NE(SessionDuration::hour1(), customHour);
    EXPECT_EQ(customHour, SessionDuration::custom(Duration::milliseconds(3'600'000)));
    EXPECT_NE(customHour, SessionDuration::custom(Duration::seconds(3600) + Duration::attoseconds(1)));
    EXPECT_NE(SessionDuration::hour1(), SessionDuration::hours2());

    // Equal values hash alike, whatever unit built the payload.
    EXPECT_EQ(std::hash<SessionDuration>()(customHour),
              std::hash<SessionDuration>()(SessionDuration::custom(Duration::milliseconds(3'600'000))));

    const auto presets = SessionDuration::presetList();
    std::unordered_set<SessionDuration> set(presets.begin(), presets.end());
    set.insert(customHour);
    set.insert(SessionDuration::custom(Duration::seconds(1800)));
    set.insert(SessionDuration::custom(Duration::seconds(3600)));
    set.insert(SessionDuration::hour1());
    EXPECT_EQ(set.size(), 8u);
    EXPECT_EQ(set.count(SessionDuration::custom(Duration::seconds(1800))), 1u);
    EXPECT_EQ(set.count(SessionDuration::custom(Duration::seconds(7200))), 0u);
}

TEST(CoreSessionSelection, EqualityComparesBothFields)
{
    const SessionSelection a{SessionDuration::hour1(), true};
    EXPECT_EQ(a, (SessionSelection{SessionDuration::hour1(), true}));
    EXPECT_NE(a, (SessionSelection{SessionDuration::hour1(), false}));
    EXPECT_NE(a, (SessionSelection{SessionDuration::custom(Duration::seconds(3600)), true}));
}

TEST(CoreSessionID, RandomIdsAreVersionFourUuids)
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
    const SessionID id(bytes);
    EXPECT_EQ(id.toString(), "00112233-4455-6677-8899-aabbccddeeff");
    EXPECT_EQ(id, SessionID(bytes));
    EXPECT_EQ(std::hash<SessionID>()(id), std::hash<SessionID>()(SessionID(bytes)));
    EXPECT_NE(id, testId(0));
}

TEST(CoreSession, InitDerivesSpanAndDeadline)
{
    const SessionID id = testId(0xa1);
    const Session timed(id, {SessionDuration::hour1(), false}, startDate);
    EXPECT_EQ(timed.id, id);
    EXPECT_EQ(timed.selection, (SessionSelection{SessionDuration::hour1(), false}));
    EXPECT_EQ(timed.startedAt, startDate);
    EXPECT_EQ(timed.effectiveDuration, Duration::seconds(3600));
    EXPECT_EQ(timed.deadline, startDate.addingTimeInterval(3600));

    const Session open(id, {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.effectiveDuration, std::nullopt);
    EXPECT_EQ(open.deadline, std::nullopt);

    const auto odd = Duration::seconds(900) + Duration::milliseconds(900);
    const Session fractional(id, {SessionDuration::custom(odd), true}, startDate);
    EXPECT_EQ(fractional.effectiveDuration, odd);
    EXPECT_EQ(fractional.deadline, startDate.addingTimeInterval(900.9));

    // Building a session does not judge the span; the machine does.
    const Session tooShort(id, {SessionDuration::custom(Duration::seconds(10)), true}, startDate);
    EXPECT_EQ(tooShort.deadline, startDate.addingTimeInterval(10));
}

TEST(CoreSession, EqualityCoversEveryField)
{
    const Session base(testId(1), {SessionDuration::hour1(), true}, startDate);
    EXPECT_EQ(base, Session(testId(1), {SessionDuration::hour1(), true}, startDate));
    EXPECT_NE(base, Session(testId(2), {SessionDuration::hour1(), true}, startDate));
    EXPECT_NE(base, Session(testId(1), {SessionDuration::hour1(), false}, startDate));
    EXPECT_NE(base, Session(testId(1), {SessionDuration::hour1(), true}, startDate.addingTimeInterval(1)));
    Session moved = base;
    moved.deadline = startDate;
    EXPECT_NE(base, moved);
    Session longer = base;
    longer.effectiveDuration = Duration::seconds(3601);
    EXPECT_NE(base, longer);
}

TEST(CoreSession, ExtendedGrowsFromTheStartNotFromNow)
{
    const Session hour(testId(0xa1), {SessionDuration::hour1(), false}, startDate);
    const auto extended = hour.extended(Duration::seconds(1800));
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->id, hour.id);
    EXPECT_EQ(extended->startedAt, startDate);
    EXPECT_EQ(extended->selection, (SessionSelection{SessionDuration::custom(Duration::seconds(5400)), false}));
    EXPECT_EQ(extended->effectiveDuration, Duration::seconds(5400));
    EXPECT_EQ(extended->deadline, startDate.addingTimeInterval(5400));
    // The original is left as it was.
    EXPECT_EQ(hour.effectiveDuration, Duration::seconds(3600));

    const auto twice = extended->extended(SessionDuration::extensionStep());
    ASSERT_TRUE(twice);
    EXPECT_EQ(twice->selection.duration, SessionDuration::custom(Duration::seconds(7200)));
    EXPECT_NE(twice->selection.duration, SessionDuration::hours2());
    EXPECT_EQ(twice->deadline, startDate.addingTimeInterval(7200));

    const auto tiny = hour.extended(Duration::attoseconds(1));
    ASSERT_TRUE(tiny);
    EXPECT_EQ(tiny->effectiveDuration, Duration::seconds(3600) + Duration::attoseconds(1));
}

TEST(CoreSession, ExtendedRefusesOpenSessionsAndNonPositiveSteps)
{
    const Session hour(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    EXPECT_EQ(hour.extended(Duration::zero()), std::nullopt);
    EXPECT_EQ(hour.extended(-Duration::seconds(1)), std::nullopt);
    EXPECT_EQ(hour.extended(-Duration::attoseconds(1)), std::nullopt);

    const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.extended(Duration::seconds(1800)), std::nullopt);
}

TEST(CoreSession, RemainingCountsDownToZero)
{
    const Session hour(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    EXPECT_EQ(hour.remaining(startDate), Duration::seconds(3600));
    EXPECT_EQ(hour.remaining(startDate.addingTimeInterval(600.5)), Duration::seconds(2999.5));
    EXPECT_EQ(hour.remaining(*hour.deadline), Duration::zero());
    EXPECT_EQ(hour.remaining(hour.deadline->addingTimeInterval(1)), Duration::zero());
    EXPECT_EQ(hour.remaining(hour.deadline->addingTimeInterval(1e9)), Duration::zero());
    // Before the start (the wall clock was set back) the span is simply longer.
    EXPECT_EQ(hour.remaining(startDate.addingTimeInterval(-60)), Duration::seconds(3660));

    const Session open(testId(0xa1), {SessionDuration::untilStopped(), true}, startDate);
    EXPECT_EQ(open.remaining(startDate), std::nullopt);
}

TEST(CoreEnergyFailure, AFailedReleaseAlwaysRetainsResources)
{
    using Op = EnergyFailure::Operation;
    const EnergyFailure release(Op::release, 5, false);
    EXPECT_EQ(release.operation, Op::release);
    EXPECT_EQ(release.code, 5);
    EXPECT_TRUE(release.retainsResources);
    EXPECT_EQ(release, EnergyFailure(Op::release, 5, true));

    EXPECT_FALSE(EnergyFailure(Op::createDisplay, 5, false).retainsResources);
    EXPECT_TRUE(EnergyFailure(Op::createDisplay, 5, true).retainsResources);
    EXPECT_FALSE(EnergyFailure(Op::createSystem, -536870212, false).retainsResources);

    EXPECT_EQ(EnergyFailure::invalidDuration(), EnergyFailure(Op::invalidDuration, 0, false));
    EXPECT_FALSE(EnergyFailure::invalidDuration().retainsResources);

    EXPECT_NE(EnergyFailure(Op::createSystem, 1, false), EnergyFailure(Op::createDisplay, 1, false));
    EXPECT_NE(EnergyFailure(Op::createSystem, 1, false), EnergyFailure(Op::createSystem, 2, false));
    EXPECT_NE(EnergyFailure(Op::createSystem, 1, false), EnergyFailure(Op::createSystem, 1, true));
}

namespace {

struct StateCase {
    const char *name;
    SessionState state;
    bool carriesSession;
    bool transitioning;
    bool holdsAssertion;
    AppStatus status;
};

} // namespace

TEST(CoreSessionState, SessionTransitioningAndAssertionPerCase)
{
    using Op = EnergyFailure::Operation;
    const Session s(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    const EnergyFailure kept(Op::createDisplay, 3, true);
    const EnergyFailure lost(Op::createSystem, 3, false);

    const StateCase cases[] = {
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
        if (c.carriesSession)
            EXPECT_EQ(c.state.session(), s);
        else
            EXPECT_EQ(c.state.session(), std::nullopt);
        EXPECT_EQ(c.state.isTransitioning(), c.transitioning);
        EXPECT_EQ(c.state.holdsAssertion(), c.holdsAssertion);
        EXPECT_EQ(appStatus(c.state), c.status);
    }
    EXPECT_EQ(SessionState(), SessionState::inactive());
}

TEST(CoreSessionState, EqualityComparesCaseAndPayloads)
{
    using Op = EnergyFailure::Operation;
    const Session s(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    const Session other(testId(0xb2), {SessionDuration::hour1(), true}, startDate);
    const EnergyFailure f(Op::createDisplay, 3, true);

    EXPECT_EQ(SessionState::active(s), SessionState::active(s));
    EXPECT_NE(SessionState::active(s), SessionState::active(other));
    EXPECT_NE(SessionState::active(s), SessionState::starting(s));
    EXPECT_NE(SessionState::starting(s), SessionState::stopping(s));
    EXPECT_EQ(SessionState::failed(f, s), SessionState::failed(f, s));
    EXPECT_NE(SessionState::failed(f, s), SessionState::failed(f, std::nullopt));
    EXPECT_NE(SessionState::failed(f, s), SessionState::failed(EnergyFailure(Op::createDisplay, 4, true), s));
    EXPECT_NE(SessionState::failed(EnergyFailure::invalidDuration(), std::nullopt), SessionState::inactive());
}

TEST(CoreAppStatus, SymbolNames)
{
    EXPECT_EQ(symbolName(AppStatus::off), "sun.max");
    EXPECT_EQ(symbolName(AppStatus::on), "sun.max.fill");
    EXPECT_EQ(symbolName(AppStatus::working), "sun.max.fill");
    EXPECT_EQ(symbolName(AppStatus::failed), "exclamationmark.triangle.fill");

    const Session s(testId(0xa1), {SessionDuration::hour1(), true}, startDate);
    EXPECT_EQ(symbolName(appStatus(SessionState::stopping(s))), "sun.max.fill");
}
