// The service's bookkeeping of locks per session, seen through a driver that
// records every call and fails the ones it is told to.

#include "engine_fakes.h"
#include "iokit_energy_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::fakes;
using testing::ElementsAre;
using testing::IsEmpty;
using Op = EnergyFailure::Operation;

namespace {

Session session(SessionDuration duration, bool display, std::uint8_t id = 0xa1)
{
    return Session(testId(id), {duration, display}, startDate);
}

std::vector<std::uint32_t> ids(const std::vector<EnergyAssertionID> &list)
{
    std::vector<std::uint32_t> raw;
    for (const auto id : list)
        raw.push_back(id.rawValue);
    return raw;
}

class EnergyServiceTest : public testing::Test {
protected:
    EnergyServiceTest()
    {
        auto recording = std::make_unique<RecordingDriver>();
        driver = recording.get();
        service = std::make_unique<IOKitEnergyService>(std::move(recording));
    }

    std::vector<std::uint32_t> entry(std::uint8_t id = 0xa1) const
    {
        const auto it = service->assertions().find(testId(id));
        return it == service->assertions().end() ? std::vector<std::uint32_t>{} : ids(it->second);
    }
    bool hasEntry(std::uint8_t id = 0xa1) const { return service->assertions().contains(testId(id)); }

    // Takes the locks of a session (system 1, display 2 with the display on)
    // and forgets the calls, so a test sees only what follows.
    void acquired(const Session &s)
    {
        ASSERT_EQ(run(service->acquire(s, s.effectiveDuration)), std::nullopt);
        driver->log.clear();
    }

    RecordingDriver *driver = nullptr;
    std::unique_ptr<IOKitEnergyService> service;
};

// ---- acquire and release ------------------------------------------------------

TEST_F(EnergyServiceTest, AcquireTakesSystemThenDisplayOnceWithTheTimeLeftAsTimeOut)
{
    const auto s = session(SessionDuration::hour1(), true);
    EXPECT_EQ(run(service->acquire(s, secs(3600))), std::nullopt);
    // Again for the same session takes nothing, whatever the time left.
    EXPECT_EQ(run(service->acquire(s, Duration::zero())), std::nullopt);
    EXPECT_THAT(driver->log, ElementsAre("create system 3600 -> 1", "create display 3600 -> 2"));
    EXPECT_THAT(entry(), ElementsAre(1u, 2u));

    // The time-out is the time left, not the session's length.
    const auto other = session(SessionDuration::hour1(), false, 0xb2);
    EXPECT_EQ(run(service->acquire(other, secs(1799) + Duration::milliseconds(500))), std::nullopt);
    EXPECT_EQ(driver->log.back(), "create system 1799.5 -> 3");
    EXPECT_THAT(entry(0xb2), ElementsAre(3u));

    // A release lets go of the session's locks in order, and no other's.
    driver->log.clear();
    EXPECT_EQ(run(service->release(testId(0xa1))), std::nullopt);
    EXPECT_THAT(driver->log, ElementsAre("release 1", "release 2"));
    EXPECT_FALSE(hasEntry());
    EXPECT_THAT(entry(0xb2), ElementsAre(3u));
}

TEST_F(EnergyServiceTest, UnusableSpansFailBeforeAnyLockIsTaken)
{
    struct Case {
        const char *what;
        Session session;
        std::optional<Duration> remaining;
    };
    const Case cases[] = {
        {"custom span under a minute", session(SessionDuration::custom(secs(59)), true), secs(59)},
        {"no time left", session(SessionDuration::hour1(), true), Duration::zero()},
        {"negative time left", session(SessionDuration::hour1(), true), -secs(1)},
        {"timed session without a time left", session(SessionDuration::hour1(), true), std::nullopt},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(run(service->acquire(c.session, c.remaining)), EnergyFailure::invalidDuration());
    }
    EXPECT_THAT(driver->log, IsEmpty());
    EXPECT_TRUE(service->assertions().empty());

    // A minute exactly is long enough.
    EXPECT_EQ(run(service->acquire(session(SessionDuration::custom(secs(60)), false), secs(60))), std::nullopt);
}

TEST_F(EnergyServiceTest, AFailedCreateLeavesNothingHeld)
{
    driver->failNextCreate(false, -13);
    EXPECT_EQ(run(service->acquire(session(SessionDuration::hour1(), true), secs(3600))),
              EnergyFailure(Op::createSystem, -13, false));
    EXPECT_THAT(driver->log, ElementsAre("create system 3600 -> fail -13"));
    EXPECT_FALSE(hasEntry());

    // A failed display lock gives the system lock back.
    driver->log.clear();
    driver->failNextCreate(true, -5);
    EXPECT_EQ(run(service->acquire(session(SessionDuration::hour1(), true), secs(3600))),
              EnergyFailure(Op::createDisplay, -5, false));
    EXPECT_THAT(driver->log, ElementsAre("create system 3600 -> 1", "create display 3600 -> fail -5", "release 1"));
    EXPECT_FALSE(hasEntry());
    EXPECT_THAT(driver->held, IsEmpty());
}

// A lock that could not be let go stays in the table, so that the session's
// next release tries it again.
TEST_F(EnergyServiceTest, ALockWhoseReleaseFailedIsKeptForTheNextRelease)
{
    driver->failNextCreate(true, -5);
    driver->failRelease(1, -110);
    EXPECT_EQ(run(service->acquire(session(SessionDuration::hour1(), true), secs(3600))),
              EnergyFailure(Op::release, -110, true));
    EXPECT_THAT(entry(), ElementsAre(1u));
    EXPECT_EQ(run(service->release(testId(0xa1))), std::nullopt);
    EXPECT_FALSE(hasEntry());

    // Every lock is tried; the last failure is reported.
    acquired(session(SessionDuration::hour1(), true));
    driver->failRelease(2, -16);
    driver->failRelease(3, -110);
    EXPECT_EQ(run(service->release(testId(0xa1))), EnergyFailure(Op::release, -110, true));
    EXPECT_THAT(driver->log, ElementsAre("release 2 -> fail -16", "release 3 -> fail -110"));
    EXPECT_THAT(entry(), ElementsAre(2u, 3u));
    EXPECT_EQ(run(service->release(testId(0xa1))), std::nullopt);
    EXPECT_THAT(driver->held, IsEmpty());
}

// ---- extend -----------------------------------------------------------------

// Old locks that cannot be let go follow the new ones, and go with the
// session's next release; the renewal itself worked.
TEST_F(EnergyServiceTest, RenewalTakesTheNewLocksBeforeReleasingTheOld)
{
    const auto s = session(SessionDuration::hour1(), true);
    acquired(s);
    driver->failRelease(1, -16);
    EXPECT_EQ(run(service->extend(*s.extended(secs(1800)), secs(4800))), std::nullopt);
    EXPECT_THAT(driver->log, ElementsAre("create system 4800 -> 3", "create display 4800 -> 4", "release 1 -> fail -16",
                                         "release 2"));
    EXPECT_THAT(entry(), ElementsAre(3u, 4u, 1u));

    driver->log.clear();
    EXPECT_EQ(run(service->release(testId(0xa1))), std::nullopt);
    EXPECT_THAT(driver->log, ElementsAre("release 3", "release 4", "release 1"));
    EXPECT_THAT(driver->held, IsEmpty());
}

TEST_F(EnergyServiceTest, FailedRenewalLeavesTheOldLocksAlone)
{
    const auto s = session(SessionDuration::hour1(), true);
    acquired(s);

    driver->failNextCreate(false, -12);
    EXPECT_EQ(run(service->extend(*s.extended(secs(1800)), secs(4800))), EnergyFailure(Op::createSystem, -12, false));
    EXPECT_THAT(driver->log, ElementsAre("create system 4800 -> fail -12"));
    EXPECT_THAT(entry(), ElementsAre(1u, 2u));

    // A failed display lock gives back the new system lock, even if that
    // release fails too, and still reports the display failure.
    driver->log.clear();
    driver->failNextCreate(true, -5);
    driver->failRelease(3, -110);
    EXPECT_EQ(run(service->extend(*s.extended(secs(1800)), secs(4800))), EnergyFailure(Op::createDisplay, -5, false));
    EXPECT_THAT(driver->log,
                ElementsAre("create system 4800 -> 3", "create display 4800 -> fail -5", "release 3 -> fail -110"));
    EXPECT_THAT(entry(), ElementsAre(1u, 2u));
}

// ---- overlapping operations and lost locks ----------------------------------

// The driver waits on the services, so a stop can come while a renewal (or a
// second "+30 min") still waits for its new locks. Each session's operations
// take turns: whatever the order of the answers, nothing stays held that the
// table does not list, and a released session holds nothing.
TEST_F(EnergyServiceTest, OperationsOnOneSessionTakeTurns)
{
    const auto s = session(SessionDuration::hour1(), true);
    acquired(s);
    driver->parks = true;
    std::vector<std::optional<std::optional<EnergyFailure>>> results(3);
    auto track = [&](std::size_t slot, QCoro::Task<> operation) -> QCoro::Task<> {
        results[slot] = co_await failureOf(std::move(operation));
    };
    auto first = track(0, service->extend(*s.extended(secs(1800)), secs(4800)));
    auto second = track(1, service->extend(*s.extended(secs(1800)), secs(4800)));
    auto stop = track(2, service->release(testId(0xa1)));
    for (int round = 0; round < 20 && !(results[0] && results[1] && results[2]); ++round) {
        settle();
        driver->proceed();
    }
    ASSERT_TRUE(results[0] && results[1] && results[2]);
    EXPECT_EQ(*results[2], std::nullopt);
    EXPECT_THAT(driver->held, IsEmpty());
    EXPECT_FALSE(hasEntry());
    // The release came last: both renewals were complete before it began.
    EXPECT_EQ(driver->log.back(), "release 6");
}

// A lock that went by itself (its time-out passed, a release went through
// late) leaves the table, and the driver may forget it; a session with none
// left is reported released. While an operation on the session is under way,
// that operation has the last word.
TEST_F(EnergyServiceTest, LocksThatWentByThemselvesLeaveTheTable)
{
    std::vector<SessionID> released;
    service->setReleasedHandler([&](const SessionID &id) { released.push_back(id); });
    acquired(session(SessionDuration::hour1(), true));
    driver->letGo(1);
    EXPECT_THAT(entry(), ElementsAre(2u));
    EXPECT_THAT(released, IsEmpty());
    driver->letGo(2);
    EXPECT_FALSE(hasEntry());
    EXPECT_THAT(released, ElementsAre(testId(0xa1)));
    EXPECT_THAT(driver->log, ElementsAre("release 1", "release 2"));

    acquired(session(SessionDuration::hour1(), false));
    driver->parks = true;
    std::optional<std::optional<EnergyFailure>> result;
    auto track = [&](QCoro::Task<> operation) -> QCoro::Task<> { result = co_await failureOf(std::move(operation)); };
    auto releasing = track(service->release(testId(0xa1)));
    settle();
    driver->letGo(3);
    EXPECT_THAT(released, ElementsAre(testId(0xa1)));
    driver->parks = false;
    driver->proceed();
    settle();
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, std::nullopt);
    EXPECT_FALSE(hasEntry());
}

TEST_F(EnergyServiceTest, ALockLostForGoodIsReportedForItsSession)
{
    std::vector<std::pair<SessionID, EnergyFailure>> reports;
    service->setLostHandler([&](const SessionID &id, const EnergyFailure &f) { reports.emplace_back(id, f); });
    const auto renewed = session(SessionDuration::hour1(), true, 0xa1);
    acquired(renewed);
    acquired(session(SessionDuration::hour1(), false, 0xb2));

    driver->lose(3, EnergyFailure(Op::createSystem, -2, false));
    driver->lose(99, EnergyFailure(Op::createSystem, -2, false)); // nobody's
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, testId(0xb2));
    EXPECT_EQ(reports[0].second, EnergyFailure(Op::createSystem, -2, false));

    // A renewal's new lock, lost while the renewal still waits for the next.
    driver->parks = true;
    std::optional<std::optional<EnergyFailure>> renewal;
    auto track = [&](QCoro::Task<> operation) -> QCoro::Task<> { renewal = co_await failureOf(std::move(operation)); };
    auto extending = track(service->extend(*renewed.extended(secs(1800)), secs(4800)));
    settle();
    driver->proceed();
    settle();
    ASSERT_EQ(driver->log.back(), "create system 4800 -> 4");
    driver->lose(4, EnergyFailure(Op::createSystem, -2, false));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].first, testId(0xa1));
    driver->parks = false;
    driver->proceed();
    settle();
    EXPECT_TRUE(renewal);
}

} // namespace
