// The whole program in this process against lock services that answer late,
// restart or vanish: what the panel shows always matches what the services
// hold, nothing stays held after the session, and the event loop never
// stalls while the program waits on them.

#include "iokit_energy_service.h"
#include "menu_bar_extra.h"
#include "menu_view.h"
#include "native_energy_assertion_driver.h"
#include "notice_card.h"
#include "panel_header.h"
#include "panel_host.h"
#include "session_readout_view.h"
#include "shell_test_support.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;
using pelorin::test::TestLockEvent;
using pelorin::test::TestServicesClient;
using StateKind = SessionState::Kind;
using Op = EnergyFailure::Operation;

namespace {

// The longest stretch the event loop went without turning, from the meter's
// construction on: a timer asks to run every few milliseconds and notes the
// gaps between its turns.
class LoopGapMeter {
public:
    LoopGapMeter()
    {
        m_clock.start();
        QObject::connect(&m_tick, &QTimer::timeout, [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_tick.start(5);
    }
    std::chrono::milliseconds longest() const { return std::chrono::milliseconds(m_longest); }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

class UnreliableServicesTest : public ShellFixture {
protected:
    void TearDown() override
    {
        // A call that blocks stalls the loop for its whole time-out (1.5 s or
        // more) or until its late answer; a busy machine alone stays below.
        if (meter) {
            EXPECT_LT(meter->longest(), 1s) << "the event loop stalled";
        }
    }

    // Launches the program with a call time-out that a blocking call would
    // show as a stall, and starts measuring.
    void launch(std::chrono::milliseconds callTimeout = 1500ms)
    {
        shell.launch();
        driver().setCallTimeout(callTimeout);
        meter.emplace();
    }

    NativeEnergyAssertionDriver &driver() const
    {
        return dynamic_cast<NativeEnergyAssertionDriver &>(shell.app->energyService().driver());
    }
    Countdown &countdown() const { return shell.model().countdown(); }
    // The panel the program shows (as a window: the offscreen platform has
    // no tray).
    MenuView *panel() const
    {
        PanelHost *host = shell.app->menuBarExtra() ? shell.app->menuBarExtra()->panel() : nullptr;
        return host ? host->findChild<MenuView *>() : nullptr;
    }
    TestServicesClient session() const { return bus.services(Kind::session); }
    TestServicesClient system() const { return bus.services(Kind::system); }
    bool settlesIn(StateKind kind, std::chrono::milliseconds timeout = 10s)
    {
        return spinUntil([&] { return shell.state() == kind; }, timeout);
    }

    // Once every answer is in: no lock on the session bus, and only the
    // sleep delay lock on the system bus.
    void expectOnlyTheDelayLock() const
    {
        EXPECT_TRUE(session().waitForLockCount(0));
        ASSERT_TRUE(system().waitForLockCount(1));
        EXPECT_EQ(system().locks().constFirst().mode, u"delay"_s);
    }

    std::optional<LoopGapMeter> meter;
};

TEST_F(UnreliableServicesTest, ALockGrantedTooLateIsLetGoAndNeverShownAsHeld)
{
    launch();
    session().setBehaviour(gnomeSession, u"Inhibit"_s, u"late:3000"_s);

    // With a fallback: logind's locks keep the session, gnome-session's come
    // too late and go at once.
    countdown().start(SessionDuration::hour1());
    ASSERT_TRUE(settlesIn(StateKind::active));
    EXPECT_TRUE(system().waitForLockCount(3)); // the delay lock and two idle locks
    ASSERT_TRUE(spinUntil([&] { return session().events().size() == 4; }));
    EXPECT_TRUE(session().locks().isEmpty());
    countdown().stop();
    ASSERT_TRUE(settlesIn(StateKind::inactive));
    expectOnlyTheDelayLock();

    // Alone: the session fails, as the panel shows, and the late lock goes.
    system().setBehaviour(logind, u"Inhibit"_s, u"deny"_s);
    countdown().start(SessionDuration::hour1());
    ASSERT_TRUE(settlesIn(StateKind::failed));
    const SessionState failed = countdown().state();
    EXPECT_FALSE(failed.session());
    EXPECT_EQ(failed.failure()->operation, Op::createSystem);
    ASSERT_TRUE(spinUntil([&] { return session().events().size() == 6; }));
    expectOnlyTheDelayLock();
}

// The service that holds a session's locks restarts: they are taken again
// at once from logind, so the machine is never unguarded, and go back to it
// when it returns, the new locks in place before logind's go. The panel says
// "awake" all along.
TEST_F(UnreliableServicesTest, ALostLockGoesBackToItsOwnService)
{
    launch();
    countdown().start(SessionDuration::hour1());
    ASSERT_TRUE(settlesIn(StateKind::active));

    bus.stopServices(Kind::session);
    meter.emplace();
    ASSERT_TRUE(system().waitForLockCount(3)); // the delay lock and two idle locks
    EXPECT_EQ(shell.state(), StateKind::active);

    ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    meter.emplace();
    ASSERT_TRUE(session().waitForLockCount(2));
    ASSERT_TRUE(system().waitForLockCount(1));
    EXPECT_EQ(system().locks().constFirst().mode, u"delay"_s);
    EXPECT_EQ(shell.state(), StateKind::active);
    std::vector<qint64> taken, standIn;
    for (const TestLockEvent &e : session().events())
        taken.push_back(e.at);
    for (const TestLockEvent &e : system().events()) {
        if (e.lock.what == u"idle"_s && e.kind == u"released"_s)
            standIn.push_back(e.at);
    }
    EXPECT_TRUE(test::eachReplacedBeforeItWent(taken, standIn)) << "a logind lock went before its new one came";

    countdown().stop();
    ASSERT_TRUE(settlesIn(StateKind::inactive));
    expectOnlyTheDelayLock();
}

// A lock service gone with nothing to take its place: the panel stops
// claiming that the machine stays awake, and says that the session ended
// early rather than that it never started.
TEST_F(UnreliableServicesTest, ALockLostForGoodEndsTheSessionInWordsOfItsOwn)
{
    launch();
    driver().setRetakeWindow(500ms);
    countdown().start(SessionDuration::hour1());
    ASSERT_TRUE(settlesIn(StateKind::active));

    system().setBehaviour(logind, u"Inhibit"_s, u"deny"_s);
    bus.stopServices(Kind::session);
    meter.emplace(); // (stopping the services blocks this thread, not the program's work)
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::failed && !countdown().state().session(); }, 5s));
    EXPECT_EQ(countdown().state().failure(), EnergyFailure(Op::lost, -EACCES, false));
    EXPECT_EQ(shell.app->menuBarExtra()->status(), AppStatus::failed);
    ASSERT_TRUE(system().waitForLockCount(1));
    EXPECT_TRUE(spinUntil([&] { return shell.app->energyService().assertions().empty(); }));

    const MenuView *view = panel();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->panel()->header()->status(), u"The session ended early"_s);
    EXPECT_EQ(view->notice()->title(), u"The session could not go on"_s);
    EXPECT_EQ(view->readout()->currentBoard().statusLine(), u"The session could not go on"_s);
}

// A release that the service confirms only after the call time-out: the
// session fails at first, as nothing confirmed it, then the panel returns to
// "Ready to start" by itself once the confirmation comes.
TEST_F(UnreliableServicesTest, ALateConfirmationClearsTheFailure)
{
    launch();
    countdown().start(SessionDuration::hour1());
    ASSERT_TRUE(settlesIn(StateKind::active));
    session().setBehaviour(gnomeSession, u"Uninhibit"_s, u"late:3000"_s);

    countdown().stop();
    ASSERT_TRUE(settlesIn(StateKind::failed));
    EXPECT_EQ(countdown().state().failure()->operation, Op::release);
    ASSERT_TRUE(settlesIn(StateKind::inactive, 5s));
    EXPECT_TRUE(shell.app->energyService().assertions().empty());
    EXPECT_EQ(panel()->panel()->header()->status(), u"Ready to start"_s);
    EXPECT_TRUE(panel()->notice()->isHidden());
    expectOnlyTheDelayLock();
}

TEST_F(UnreliableServicesTest, AHangingReleaseHoldsNeitherSleepNorQuitForLong)
{
    for (const bool quit : {false, true}) {
        SCOPED_TRACE(quit ? "quit" : "sleep");
        // The real call time-out: two releases of three seconds each would
        // outlast logind's five-second delay.
        launch(NativeEnergyAssertionDriver::defaultCallTimeout);
        countdown().start(SessionDuration::hour1());
        ASSERT_TRUE(settlesIn(StateKind::active));
        session().setBehaviour(gnomeSession, u"Uninhibit"_s, u"hang"_s);

        QElapsedTimer clock;
        clock.start();
        if (quit) {
            shell.app->delegate().requestTermination();
            ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }, 6s));
            EXPECT_EQ(shell.exits, std::vector<int>{0});
        } else {
            system().emitPrepareForSleep(true);
            ASSERT_TRUE(system().waitForLockCount(0, 6s));
        }
        EXPECT_LT(clock.elapsed(), 5000) << "the hanging release held it up";
        // A restart ends the hanging call, so the program need not wait for
        // its time-out before it goes.
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    }
}

// Every way of ending a session, while its locks are still being taken and
// while they are being renewed: it ends, and nothing stays held.
TEST_F(UnreliableServicesTest, StopSleepAndQuitWhileStartingOrExtending)
{
    const std::vector<std::pair<std::string, std::function<void()>>> ends{
        {"stop", [&] { countdown().stop(); }},
        {"sleep", [&] { system().emitPrepareForSleep(true); }},
        {"quit", [&] { shell.app->delegate().requestTermination(); }}};
    for (const bool extending : {false, true}) {
        for (const auto &[name, end] : ends) {
            SCOPED_TRACE((extending ? "extending, " : "starting, ") + name);
            launch(2s);
            session().setBehaviour(gnomeSession, u"Inhibit"_s, u"reply"_s);
            countdown().start(SessionDuration::hour1());
            if (extending) {
                ASSERT_TRUE(settlesIn(StateKind::active));
            }
            session().setBehaviour(gnomeSession, u"Inhibit"_s, u"late:300"_s);
            if (extending)
                countdown().extend();
            spinFor(50ms); // the request is on its way
            end();
            ASSERT_TRUE(settlesIn(StateKind::inactive));
            EXPECT_TRUE(session().waitForLockCount(0));
            EXPECT_TRUE(shell.app->energyService().assertions().empty());
            if (name == "sleep") {
                EXPECT_TRUE(system().waitForLockCount(0));
            } else if (name == "quit") {
                EXPECT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
            }
            shell.exits.clear();
        }
    }
}

} // namespace
