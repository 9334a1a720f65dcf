#include "core_test_support.h"
#include "session_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelorin;

namespace {

using M = SessionMachine;
using Op = EnergyFailure::Operation;

const SessionID idA = testId(0xa1);
const SessionID idB = testId(0xb2);

const Session timed(idA, {SessionDuration::hour1(), true}, startDate);
const Session open(idA, {SessionDuration::untilStopped(), false}, startDate);
const Session timedLonger = *timed.extended(Duration::seconds(1800));
// Same span as `timed`, but a different value, so an accepted copy would show.
const Session timedSameSpan = [] {
    Session s = timed;
    s.selection.duration = SessionDuration::custom(Duration::seconds(3600));
    return s;
}();
const Session timedShorter(idA, {SessionDuration::minutes30(), true}, startDate);
const Session otherLonger =
    *Session(idB, {SessionDuration::hour1(), true}, startDate).extended(Duration::seconds(1800));
const Session openAsTimed = [] {
    Session s = open;
    s.effectiveDuration = Duration::seconds(3600);
    s.deadline = startDate.addingTimeInterval(3600);
    return s;
}();

// Failures: one that says locks may remain, one that says nothing is held,
// and a failed release (which always retains).
const EnergyFailure kept(Op::createDisplay, -536870199, true);
const EnergyFailure lost(Op::createSystem, -536870212, false);
const EnergyFailure releaseFailure(Op::release, -536870206, false);
// What a session that lost its lock for good fails with, whatever the
// reporter said; the code is kept.
const EnergyFailure lostLock(Op::lost, -536870212, false);

const SessionState inactive = SessionState::inactive();
const SessionState starting = SessionState::starting(timed);
const SessionState startingOpen = SessionState::starting(open);
const SessionState active = SessionState::active(timed);
const SessionState activeOpen = SessionState::active(open);
const SessionState stopping = SessionState::stopping(timed);
const SessionState failedBare = SessionState::failed(lost, std::nullopt);
const SessionState failedKept = SessionState::failed(kept, timed);
// A session kept by a failed release whose failure claims nothing is held.
const SessionState failedLostWithSession = SessionState::failed(lost, timed);
// A session whose lock went for good, while the rest of its locks go.
const SessionState failedLostLock = SessionState::failed(lostLock, timed);

M::Event start(SessionDuration d, SessionID id = idB, bool display = true)
{
    return M::Start{{d, display}, id, startDate.addingTimeInterval(100)};
}

Session startedSession(SessionDuration d, SessionID id = idB, bool display = true)
{
    return Session(id, {d, display}, startDate.addingTimeInterval(100));
}

struct Row {
    std::string name;
    SessionState before;
    M::Event event;
    SessionState after;
    M::Effects effects;
};

void PrintTo(const Row &row, std::ostream *os)
{
    *os << row.name;
}

Row row(std::string name, SessionState before, M::Event event, SessionState after, M::Effects effects = {})
{
    return {std::move(name), std::move(before), std::move(event), std::move(after), std::move(effects)};
}

Row same(std::string name, const SessionState &state, M::Event event, M::Effects effects = {})
{
    return row(std::move(name), state, std::move(event), state, std::move(effects));
}

std::vector<Row> transitionRows()
{
    const M::Effects cancel{M::CancelDeadline{}};
    const M::Effects cancelAndRelease{M::CancelDeadline{}, M::Release{idA}};
    const auto invalid = SessionState::failed(EnergyFailure::invalidDuration(), std::nullopt);
    const auto failedRelease = SessionState::failed(releaseFailure, timed);
    const auto hours2 = startedSession(SessionDuration::hours2());
    const auto openB = startedSession(SessionDuration::untilStopped(), idB, false);
    const auto minute = startedSession(SessionDuration::custom(Duration::seconds(60)));
    const auto justUnderAMinute = SessionDuration::custom(Duration::seconds(60) - Duration::attoseconds(1));

    return {
        // start: refused while transitioning or while a session is carried,
        // before the span is judged.
        same("StartWhileStarting", starting, start(SessionDuration::hours2())),
        same("StartWhileStopping", stopping, start(SessionDuration::hours2())),
        same("StartWhileActive", active, start(SessionDuration::hours2())),
        same("StartWhileFailedWithSession", failedKept, start(SessionDuration::hours2())),
        same("InvalidStartWhileActiveIsRefusedNotFailed", active, start(justUnderAMinute)),
        row("StartJustUnderAMinuteFails", inactive, start(justUnderAMinute), invalid),
        row("StartFromInactive", inactive, start(SessionDuration::hours2()), SessionState::starting(hours2),
            {M::Acquire{hours2}}),
        row("StartOneMinute", inactive, start(SessionDuration::custom(Duration::seconds(60))),
            SessionState::starting(minute), {M::Acquire{minute}}),
        row("StartUntilStoppedFromBareFailure", failedBare, start(SessionDuration::untilStopped(), idB, false),
            SessionState::starting(openB), {M::Acquire{openB}}),
        row("StartFromInvalidFailure", invalid, start(SessionDuration::hours2()), SessionState::starting(hours2),
            {M::Acquire{hours2}}),

        // acquired: an answer nobody waits for releases what it took.
        same("AcquiredWhileInactiveReleases", inactive, M::Acquired{idB}, {M::Release{idB}}),
        same("AcquiredForOtherIdWhileStartingReleases", starting, M::Acquired{idB}, {M::Release{idB}}),
        same("AcquiredForOtherIdWhileActiveReleases", active, M::Acquired{idB}, {M::Release{idB}}),
        row("AcquiredWhileStartingTimed", starting, M::Acquired{idA}, active, {M::ScheduleDeadline{timed}}),
        row("AcquiredWhileStartingOpen", startingOpen, M::Acquired{idA}, activeOpen),
        same("AcquiredWhileStoppingReleases", stopping, M::Acquired{idA}, {M::Release{idA}}),
        same("AcquiredWhileActiveIsIgnored", active, M::Acquired{idA}),
        same("AcquiredWhileFailedIsIgnored", failedKept, M::Acquired{idA}),

        // acquireFailed
        same("AcquireFailedWhileInactive", inactive, M::AcquireFailed{idA, kept}),
        same("AcquireFailedForOtherId", starting, M::AcquireFailed{idB, kept}),
        row("AcquireFailedWhileStoppingNothingHeld", stopping, M::AcquireFailed{idA, lost}, inactive, cancel),
        row("AcquireFailedWhileStoppingKept", stopping, M::AcquireFailed{idA, kept}, failedKept, cancel),
        row("AcquireFailedWhileStartingNothingHeld", starting, M::AcquireFailed{idA, lost}, failedBare, cancel),
        row("AcquireFailedWhileStartingKept", starting, M::AcquireFailed{idA, kept}, failedKept, cancel),
        row("AcquireFailedWhileActiveNothingHeld", active, M::AcquireFailed{idA, lost}, failedBare, cancel),
        row("AcquireFailedWhileFailedReplacesFailure", failedKept, M::AcquireFailed{idA, lost}, failedBare, cancel),

        // released
        same("ReleasedWhileInactive", inactive, M::Released{idA}),
        same("ReleasedForOtherId", stopping, M::Released{idB}),
        row("ReleasedWhileStopping", stopping, M::Released{idA}, inactive, cancel),
        row("ReleasedWhileActive", active, M::Released{idA}, inactive, cancel),
        row("ReleasedWhileStarting", starting, M::Released{idA}, inactive, cancel),
        row("ReleasedWhileFailedWithSession", failedKept, M::Released{idA}, inactive, cancel),

        // releaseFailed keeps the session, whatever the failure claims.
        same("ReleaseFailedForOtherId", stopping, M::ReleaseFailed{idB, releaseFailure}),
        row("ReleaseFailedWhileStopping", stopping, M::ReleaseFailed{idA, releaseFailure}, failedRelease, cancel),
        row("ReleaseFailedClaimingNothingHeldKeepsSession", stopping, M::ReleaseFailed{idA, lost},
            failedLostWithSession, cancel),
        row("ReleaseFailedWhileActive", active, M::ReleaseFailed{idA, releaseFailure}, failedRelease, cancel),
        row("ReleaseFailedWhileFailed", failedKept, M::ReleaseFailed{idA, releaseFailure}, failedRelease, cancel),

        // elapsed: only the active session with an end stops.
        row("ElapsedWhileActiveTimed", active, M::Elapsed{idA}, stopping, cancelAndRelease),
        same("ElapsedWhileActiveOpen", activeOpen, M::Elapsed{idA}),
        same("ElapsedForOtherId", active, M::Elapsed{idB}),
        same("ElapsedWhileStarting", starting, M::Elapsed{idA}),
        same("ElapsedWhileStopping", stopping, M::Elapsed{idA}),
        same("ElapsedWhileFailedWithSession", failedKept, M::Elapsed{idA}),

        // extended: only a strictly longer copy of the active session.
        row("ExtendedLonger", active, M::Extended{timedLonger}, SessionState::active(timedLonger),
            {M::ScheduleDeadline{timedLonger}}),
        same("ExtendedEqualSpan", active, M::Extended{timedSameSpan}),
        same("ExtendedShorter", active, M::Extended{timedShorter}),
        same("ExtendedForOtherId", active, M::Extended{otherLonger}),
        same("ExtendedWhileStarting", starting, M::Extended{timedLonger}),
        same("ExtendedWhileStopping", stopping, M::Extended{timedLonger}),
        same("ExtendedOpenSession", activeOpen, M::Extended{openAsTimed}),
        same("ExtendedToOpenCopy", active, M::Extended{open}),

        // stop
        row("StopWhileInactive", inactive, M::Stop{}, inactive, cancel),
        row("StopWhileBareFailure", failedBare, M::Stop{}, inactive, cancel),
        row("StopWhileStarting", starting, M::Stop{}, stopping, cancel),
        row("StopWhileActive", active, M::Stop{}, stopping, cancelAndRelease),
        row("StopWhileActiveOpen", activeOpen, M::Stop{}, SessionState::stopping(open), cancelAndRelease),
        row("StopWhileFailedWithSession", failedKept, M::Stop{}, stopping, cancelAndRelease),
        row("StopWhileFailedWithSessionNothingHeld", failedLostWithSession, M::Stop{}, stopping, cancelAndRelease),
        same("StopWhileStopping", stopping, M::Stop{}),

        // lost: the panel stops claiming the machine stays awake, and what
        // is left of the session's locks goes.
        row("LostWhileActive", active, M::Lost{idA, lost}, failedLostLock, cancelAndRelease),
        row("LostWhileStarting", starting, M::Lost{idA, lost}, failedLostLock, cancelAndRelease),
        row("ReleasedAfterALostLockKeepsTheFailure", failedLostLock, M::Released{idA},
            SessionState::failed(lostLock, std::nullopt), cancel),
        same("LostForOtherId", active, M::Lost{idB, lost}),
        same("LostWhileStopping", stopping, M::Lost{idA, lost}),
        same("LostWhileFailedWithSession", failedKept, M::Lost{idA, lost}),
    };
}

class CoreSessionMachineTransition : public testing::TestWithParam<Row> {};

TEST_P(CoreSessionMachineTransition, NewStateAndEffectsInOrder)
{
    const Row &row = GetParam();
    SessionMachine machine(row.before);
    const auto effects = machine.handle(row.event);
    EXPECT_EQ(machine.state(), row.after);
    EXPECT_EQ(effects, row.effects);
}

INSTANTIATE_TEST_SUITE_P(Table, CoreSessionMachineTransition, testing::ValuesIn(transitionRows()),
                         [](const testing::TestParamInfo<Row> &info) { return info.param.name; });

} // namespace
