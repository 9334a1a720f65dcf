// Many start, extend and stop cycles through the real controller, service and
// driver against the stand-in services on a private bus. At the end no lock
// may be held anywhere, no descriptor may be left open and every table of the
// engine must be empty.

#include "iokit_energy_service.h"
#include "native_energy_assertion_driver.h"
#include "session_controller.h"
#include "shell_test_support.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;
using StateKind = SessionState::Kind;

namespace {

int openDescriptors()
{
    return int(QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// One cycle: start an hour (with or without the display lock), extend it by
// half an hour, stop it; each step waits for its outcome. False (with the
// reason reported) when a step did not end as it should.
bool cycle(SessionController &controller, bool keepsDisplayAwake)
{
    controller.start({SessionDuration::hour1(), keepsDisplayAwake});
    if (!spinUntil([&] { return controller.state().kind() != StateKind::starting; }) ||
        controller.state().kind() != StateKind::active) {
        ADD_FAILURE() << "the session did not become active";
        return false;
    }
    const Duration before = *controller.state().session()->effectiveDuration;
    controller.extend(SessionDuration::extensionStep());
    if (!spinUntil([&] { return controller.pendingOperations() == 0; }) || !controller.state().session() ||
        controller.state().session()->effectiveDuration != before + SessionDuration::extensionStep()) {
        ADD_FAILURE() << "the session was not extended";
        return false;
    }
    const SessionID id = controller.state().session()->id;
    controller.send(SessionMachine::Stop{});
    if (!spinUntil(
            [&] { return controller.state().kind() == StateKind::inactive && controller.pendingOperations() == 0; })) {
        ADD_FAILURE() << "the session did not stop";
        return false;
    }
    if (controller.startStamp(id)) {
        ADD_FAILURE() << "the stopped session's start stamp is still kept";
        return false;
    }
    return true;
}

struct SoakCase {
    const char *name;
    QString service;
    Kind lockBus;
    int cycles;
};

class EngineSoakTest : public testing::TestWithParam<SoakCase> {};

TEST_P(EngineSoakTest, LeavesNothingBehind)
{
    const SoakCase &c = GetParam();
    test::TestBus bus;
    ASSERT_TRUE(bus.isValid());
    ASSERT_TRUE(bus.startServices(c.lockBus, {c.service}));
    // Over logind there is no session bus at all: every lock is one of
    // logind's descriptors.
    auto service = std::make_shared<IOKitEnergyService>(std::make_unique<NativeEnergyAssertionDriver>(
        c.lockBus == Kind::session ? bus.connection(Kind::session) : QDBusConnection(u"pelorin-soak-no-bus"_s),
        bus.connection(Kind::system)));
    const auto controller = SessionController::makeDefault(service);

    // A first cycle opens whatever is opened once (the connections' own
    // descriptors) before the count is taken.
    ASSERT_TRUE(cycle(*controller, true));
    ASSERT_TRUE(bus.services(c.lockBus).waitForLockCount(0));
    const int descriptors = openDescriptors();
    // Every other session keeps the display on too: one lock or two.
    for (int i = 0; i < c.cycles; ++i)
        ASSERT_TRUE(cycle(*controller, i % 2 == 0)) << "cycle " << i;

    EXPECT_EQ(controller->state(), SessionState::inactive());
    EXPECT_EQ(controller->pendingOperations(), 0U);
    EXPECT_FALSE(controller->hasDeadline());
    EXPECT_TRUE(service->assertions().empty());
    // Descriptor locks go when the stand-in notices the closed end.
    EXPECT_TRUE(bus.services(c.lockBus).waitForLockCount(0));
    spinFor(20ms);
    // The first cycle's last replies may still have been on their way out
    // when the count was taken: fewer is fine, one more per cycle is not.
    EXPECT_LE(openDescriptors(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(Services, EngineSoakTest,
                         testing::Values(SoakCase{"GnomeSession", gnomeSession, Kind::session, 500},
                                         SoakCase{"LogindDescriptors", logind, Kind::system, 300}),
                         [](const testing::TestParamInfo<SoakCase> &info) { return std::string(info.param.name); });

} // namespace
