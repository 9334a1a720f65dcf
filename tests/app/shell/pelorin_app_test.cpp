// The whole program in this process, headless, over private buses with the
// stand-in gnome-session (session bus) and logind (system bus): a session
// started as the panel does, the sleep notice, quitting, and the settings.

#include "iokit_energy_service.h"

#include "menu_bar_extra.h"
#include "panel_host.h"
#include "shell_test_support.h"
#include "sleep_monitor.h"
#include "test_files.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace pelorin;
using namespace pelorin::shelltest;
using pelorin::test::TestBus;
using pelorin::test::TestLock;
using pelorin::test::TestLockEvent;
using StateKind = SessionState::Kind;
using namespace Qt::StringLiterals;

namespace {

using pelorin::test::readFile;
using pelorin::test::writeFile;

QList<TestLockEvent> eventsOf(const QList<TestLockEvent> &events, const QString &service, const QString &kind)
{
    QList<TestLockEvent> result;
    std::ranges::copy_if(events, std::back_inserter(result),
                         [&](const TestLockEvent &e) { return e.service == service && e.kind == kind; });
    return result;
}

class ShellTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
        ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    }

    QList<TestLock> sessionLocks() const { return bus.services(Kind::session).locks(); }
    QList<TestLock> systemLocks() const { return bus.services(Kind::system).locks(); }

    // A duration tile's tap, then the wait until the locks are held.
    void startSession()
    {
        shell.model().countdown().start(SessionDuration::hour1());
        ASSERT_EQ(shell.state(), StateKind::starting);
        ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::active; }));
        ASSERT_EQ(sessionLocks().size(), 2);
    }

    TestBus bus;
    ShellHarness shell{bus};
};

TEST_F(ShellTest, LaunchHoldsTheSleepDelayLockAndShowsThePanel)
{
    PelorinApp &app = shell.launch();
    const QList<TestLock> locks = systemLocks();
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(locks[0].what, u"sleep"_s);
    EXPECT_EQ(locks[0].mode, u"delay"_s);
    EXPECT_TRUE(sessionLocks().isEmpty());
    EXPECT_TRUE(app.model().isRunning());
    EXPECT_TRUE(app.model().countdown().isRunning());
    // The offscreen platform has no tray: the panel opens as a window.
    ASSERT_NE(app.menuBarExtra(), nullptr);
    EXPECT_TRUE(app.menuBarExtra()->panel()->isOpen());
    EXPECT_TRUE(app.model().panelVisible());
    EXPECT_EQ(app.menuBarExtra()->status(), AppStatus::off);
}

TEST_F(ShellTest, SleepEndsTheSessionBeforeTheDelayLockGoes)
{
    PelorinApp &app = shell.launch();
    startSession();
    EXPECT_EQ(app.menuBarExtra()->status(), AppStatus::on);
    // A slow gnome-session: had the delay lock gone first, the system bus's
    // services would see it well before the session locks were released.
    bus.services(Kind::session).setBehaviour(gnomeSession, QStringLiteral("Uninhibit"), QStringLiteral("slow:150"));

    bus.services(Kind::system).emitPrepareForSleep(true);
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::inactive; }));
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_TRUE(sessionLocks().isEmpty());

    const QList<TestLockEvent> sessionEvents = bus.services(Kind::session).events();
    const QList<TestLockEvent> systemEvents = bus.services(Kind::system).events();
    const auto released = eventsOf(sessionEvents, gnomeSession, u"released"_s);
    const auto delayTaken = eventsOf(systemEvents, logind, u"taken"_s);
    const auto delayReleased = eventsOf(systemEvents, logind, u"released"_s);
    ASSERT_EQ(released.size(), 2);
    ASSERT_EQ(delayTaken.size(), 1);
    ASSERT_EQ(delayReleased.size(), 1);
    EXPECT_EQ(delayReleased[0].mode, u"delay"_s);
    for (const TestLockEvent &event : released)
        EXPECT_LT(event.at, delayReleased[0].at) << "a session lock was released after the delay lock";

    // Waking takes the delay lock again; the session is not resumed.
    bus.services(Kind::system).emitPrepareForSleep(false);
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1));
    const QList<TestLock> locks = systemLocks();
    EXPECT_EQ(locks[0].what, u"sleep"_s);
    EXPECT_EQ(locks[0].mode, u"delay"_s);
    spinFor(50ms);
    EXPECT_EQ(shell.state(), StateKind::inactive);
    EXPECT_TRUE(sessionLocks().isEmpty());
    EXPECT_EQ(app.menuBarExtra()->status(), AppStatus::off);
}

TEST_F(ShellTest, SleepWithoutSessionLetsTheDelayLockGoAtOnce)
{
    shell.launch();
    bus.services(Kind::system).emitPrepareForSleep(true);
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_EQ(shell.state(), StateKind::inactive);
    bus.services(Kind::system).emitPrepareForSleep(false);
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1));
    // A new session still starts after waking.
    startSession();
}

TEST_F(ShellTest, DelayLockLetGoWhileBeingTakenIsDropped)
{
    SleepMonitor monitor(bus.connection(Kind::system));
    // Asked for, then let go before logind answers: the answer is dropped.
    auto taking = monitor.takeDelayLock();
    monitor.releaseDelayLock();
    QCoro::waitFor(std::move(taking));
    EXPECT_FALSE(monitor.holdsDelayLock());
    QCoro::waitFor(monitor.takeDelayLock());
    EXPECT_TRUE(monitor.holdsDelayLock());
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(1));
    monitor.releaseDelayLock();
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
}

TEST_F(ShellTest, QuitWhileStartingWaitsForTheAcquireAndItsRelease)
{
    PelorinApp &app = shell.launch();
    QList<TestLock> locksAtExit{TestLock{}};
    StateKind stateAtExit = StateKind::starting;
    shell.onExit = [&](int) {
        locksAtExit = sessionLocks();
        stateAtExit = shell.state();
    };

    app.model().countdown().start(SessionDuration::hour1());
    ASSERT_EQ(shell.state(), StateKind::starting);
    app.delegate().requestTermination();
    app.delegate().requestTermination();
    EXPECT_TRUE(shell.exits.empty());
    EXPECT_EQ(shell.state(), StateKind::stopping);

    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    EXPECT_TRUE(locksAtExit.isEmpty());
    EXPECT_EQ(stateAtExit, StateKind::inactive);

    // The acquire went through, then its release; once.
    QStringList kinds;
    for (const TestLockEvent &event : bus.services(Kind::session).events())
        kinds.append(event.kind);
    EXPECT_EQ(kinds, (QStringList{u"taken"_s, u"taken"_s, u"released"_s, u"released"_s}));

    app.delegate().requestTermination();
    spinFor(50ms);
    EXPECT_EQ(shell.exits, std::vector<int>{0});
}

TEST_F(ShellTest, QuitSignalsTakeTheSamePath)
{
    PelorinApp &app = shell.launch(true, true);
    QList<TestLock> locksAtExit{TestLock{}};
    shell.onExit = [&](int) { locksAtExit = sessionLocks(); };
    app.model().countdown().start(SessionDuration::hour1());
    ASSERT_EQ(shell.state(), StateKind::starting);

    ASSERT_EQ(::raise(SIGTERM), 0);
    ASSERT_EQ(::raise(SIGHUP), 0);
    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    EXPECT_TRUE(locksAtExit.isEmpty());
    EXPECT_EQ(shell.state(), StateKind::inactive);
    EXPECT_TRUE(app.delegate().terminationPending());

    ASSERT_EQ(::raise(SIGINT), 0);
    spinFor(50ms);
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    // The session's two locks were taken and released, once.
    QStringList kinds;
    for (const TestLockEvent &event : bus.services(Kind::session).events())
        kinds.append(event.kind);
    EXPECT_EQ(kinds, (QStringList{u"taken"_s, u"taken"_s, u"released"_s, u"released"_s}));
}

TEST_F(ShellTest, DisarmingStopsARunningSession)
{
    PelorinApp &app = shell.launch();
    startSession();
    app.model().preferences().setArmed(false);
    EXPECT_EQ(shell.state(), StateKind::stopping);
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::inactive; }));
    EXPECT_TRUE(sessionLocks().isEmpty());

    // Disarmed, a tile does nothing, and the switch is remembered.
    app.model().countdown().start(SessionDuration::hour1());
    EXPECT_EQ(shell.state(), StateKind::inactive);
    EXPECT_TRUE(readFile(shell.settingsPath()).contains("armed=false"));
    PelorinApp &again = shell.build(shell.environment());
    EXPECT_FALSE(again.model().preferences().armed());
}

TEST_F(ShellTest, WithoutLogindNothingElseBreaks)
{
    bus.stopServices(Kind::system);
    shell.launch(false);
    startSession();
    shell.app->delegate().requestTermination();
    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_TRUE(sessionLocks().isEmpty());
}

} // namespace
