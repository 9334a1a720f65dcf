// Many start, extend and stop cycles through the real controller, service and
// driver against the stand-in services on a private bus. At the end no lock
// may be held anywhere, no descriptor may be left open and every table of the
// engine must be empty.

#include "iokit_energy_service.h"
#include "native_energy_assertion_driver.h"
#include "session_controller.h"
#include "shell_test_support.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <cstdio>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;
using pelorin::test::TestBus;
using StateKind = SessionState::Kind;

namespace {

struct Engine {
    Engine(QDBusConnection sessionBus, QDBusConnection systemBus)
    {
        auto ownDriver = std::make_unique<NativeEnergyAssertionDriver>(sessionBus, systemBus);
        driver = ownDriver.get();
        service = std::make_shared<IOKitEnergyService>(std::move(ownDriver));
        controller = SessionController::makeDefault(service);
    }

    NativeEnergyAssertionDriver *driver = nullptr;
    std::shared_ptr<IOKitEnergyService> service;
    std::unique_ptr<SessionController> controller;
};

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

class EngineSoakTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isValid()); }

    // Runs `cycles` cycles after a first one that opens whatever is opened
    // once (the connections' own descriptors), then checks that nothing is
    // left behind.
    void soak(Engine &engine, int cycles, const TestBus::Kind lockBus)
    {
        ASSERT_TRUE(cycle(*engine.controller, true));
        ASSERT_TRUE(bus.services(lockBus).waitForLockCount(0));
        const int descriptors = openDescriptors();

        QElapsedTimer timer;
        timer.start();
        // Every other session keeps the display on too: one lock or two.
        for (int i = 0; i < cycles; ++i)
            ASSERT_TRUE(cycle(*engine.controller, i % 2 == 0)) << "cycle " << i;
        std::printf("[ soak     ] %d cycles in %lld ms\n", cycles, static_cast<long long>(timer.elapsed()));

        EXPECT_EQ(engine.controller->state(), SessionState::inactive());
        EXPECT_EQ(engine.controller->pendingOperations(), 0U);
        EXPECT_FALSE(engine.controller->hasDeadline());
        EXPECT_TRUE(engine.service->assertions().empty());
        EXPECT_EQ(engine.driver->heldCount(), 0);
        // Descriptor locks go when the stand-in notices the closed end.
        EXPECT_TRUE(bus.services(lockBus).waitForLockCount(0));
        spinFor(20ms);
        // The first cycle's last replies may still have been on their way
        // out when the count was taken: fewer is fine, one more per cycle is not.
        EXPECT_LE(openDescriptors(), descriptors);
    }

    TestBus bus;
};

TEST_F(EngineSoakTest, CyclesOverGnomeSession)
{
    ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    Engine engine(bus.connection(Kind::session), bus.connection(Kind::system));
    soak(engine, 500, Kind::session);
}

TEST_F(EngineSoakTest, CyclesOverLogindDescriptors)
{
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    // No session bus at all: every lock is one of logind's descriptors.
    Engine engine(QDBusConnection(u"pelorin-soak-no-session-bus"_s), bus.connection(Kind::system));
    soak(engine, 300, Kind::system);
}

} // namespace
