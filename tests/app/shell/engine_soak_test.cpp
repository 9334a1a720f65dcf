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
// half an hour, stop it; each step waits for its outcome.
void cycle(SessionController &controller, bool keepsDisplayAwake)
{
    controller.start({SessionDuration::hour1(), keepsDisplayAwake});
    ASSERT_TRUE(spinUntil([&] { return controller.state().kind() == StateKind::active; }));
    const Session before = *controller.state().session();
    controller.extend(SessionDuration::extensionStep());
    ASSERT_TRUE(spinUntil([&] { return controller.pendingOperations() == 0; }));
    ASSERT_EQ(controller.state().kind(), StateKind::active);
    controller.send(SessionMachine::Stop{});
    ASSERT_TRUE(spinUntil(
        [&] { return controller.state().kind() == StateKind::inactive && controller.pendingOperations() == 0; }));
    EXPECT_FALSE(controller.startStamp(before.id)) << "the stopped session's start stamp is still kept";
}

struct SoakCase {
    const char *name;
    QString service;
    Kind lockBus;
    int cycles;
};

class EngineSoakTest : public testing::TestWithParam<SoakCase> {};

void PrintTo(const SoakCase &c, std::ostream *out)
{
    *out << c.name;
}

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
    ASSERT_NO_FATAL_FAILURE(cycle(*controller, true));
    ASSERT_TRUE(bus.services(c.lockBus).waitForLockCount(0));
    const int descriptors = openDescriptors();
    // Every other session keeps the display on too: one lock or two.
    for (int i = 0; i < c.cycles; ++i)
        ASSERT_NO_FATAL_FAILURE(cycle(*controller, i % 2 == 0)) << "cycle " << i;

    EXPECT_EQ(controller->state(), SessionState::inactive());
    EXPECT_EQ(controller->pendingOperations(), 0U);
    EXPECT_FALSE(controller->hasDeadline());
    EXPECT_TRUE(service->assertions().empty());
    // Descriptor locks go when the stand-in notices the closed end.
    EXPECT_TRUE(bus.services(c.lockBus).waitForLockCount(0));
    // Replies close their descriptors a little later; the first cycle's may
    // still have been open when the count was taken: fewer is fine, one more
    // per cycle is not.
    EXPECT_TRUE(spinUntil([&] { return openDescriptors() <= descriptors; }, 5s))
        << openDescriptors() << " open, " << descriptors << " before";
}

INSTANTIATE_TEST_SUITE_P(Services, EngineSoakTest,
                         testing::Values(SoakCase{"GnomeSession", gnomeSession, Kind::session, 500},
                                         SoakCase{"LogindDescriptors", logind, Kind::system, 300}),
                         [](const testing::TestParamInfo<SoakCase> &info) { return std::string(info.param.name); });

} // namespace
