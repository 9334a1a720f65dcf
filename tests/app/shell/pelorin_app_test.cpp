// The whole program in this process, headless, over private buses with the
// stand-in gnome-session (session bus) and logind (system bus): a session
// started as the panel does, the sleep notice, quitting, and the settings.

#include "menu_bar_extra.h"
#include "panel_host.h"
#include "shell_test_support.h"
#include "sleep_monitor.h"

#include <QElapsedTimer>
#include <QWindow>

#include <gtest/gtest.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using pelorin::test::TestLock;
using pelorin::test::TestLockEvent;
using StateKind = SessionState::Kind;
using namespace Qt::StringLiterals;

namespace {

class ShellTest : public ShellFixture {
protected:
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
};

// Without a tray the panel is a window, Pelorin's only presence: a close
// from the desktop quits, after the session's locks are released, whether it
// comes as a spontaneous event (X11) or through QWindow::close() (Qt
// Wayland, the path taken here).
TEST_F(ShellTest, WithoutATrayTheWindowShowsAndClosingItQuitsAfterTheRelease)
{
    PelorinApp &app = shell.launch();
    const QList<TestLock> locks = systemLocks();
    ASSERT_EQ(locks.size(), 1);
    EXPECT_EQ(locks[0].what, u"sleep"_s);
    EXPECT_EQ(locks[0].mode, u"delay"_s);
    ASSERT_NE(app.menuBarExtra(), nullptr);
    PanelHost *panel = app.menuBarExtra()->panel();
    ASSERT_TRUE(spinUntil([&] { return panel->isVisible(); }));
    EXPECT_FALSE(app.menuBarExtra()->showsTrayIcon());
    EXPECT_TRUE(app.model().panelVisible());
    // Minimised or maximised by the desktop's own buttons, it comes back as
    // it was.
    for (const Qt::WindowState state : {Qt::WindowMinimized, Qt::WindowMaximized}) {
        panel->setWindowState(state);
        EXPECT_TRUE(spinUntil([&] { return panel->windowState() == Qt::WindowNoState && panel->isVisible(); }));
    }
    EXPECT_TRUE(app.model().panelVisible());

    startSession();
    QList<TestLock> locksAtExit{TestLock{}};
    shell.onExit = [&](int) { locksAtExit = sessionLocks(); };
    ASSERT_NE(panel->windowHandle(), nullptr);
    panel->windowHandle()->close();
    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    EXPECT_TRUE(locksAtExit.isEmpty());
}

// The tray's watcher is there but does not answer at first, then answers;
// its host restarts at once, leaves for good and comes again: the icon takes
// over from the window whenever a host runs, and the window comes back only
// once the host has stayed away for a while. The panel by the icon hides on
// a close or as another window opens, and none of it quits.
TEST_F(ShellTest, FollowsATrayHostThatComesGoesAndComesBack)
{
    shell.trayAvailable = [] { return true; };
    const test::TestServicesClient services = bus.services(Kind::session);
    services.setOwned(trayWatcher, true);
    services.setBehaviour(trayWatcher, u"Get"_s, u"hang"_s);
    PelorinApp &app = shell.launch();
    MenuBarExtra *extra = app.menuBarExtra();
    PanelHost *panel = extra->panel();
    ASSERT_TRUE(spinUntil([&] { return panel->isVisible(); }));
    EXPECT_FALSE(extra->showsTrayIcon());
    // In the window, another window leaves the panel where it is.
    extra->stepAside();
    EXPECT_TRUE(panel->isVisible());

    // Asked again, the watcher answers.
    services.setBehaviour(trayWatcher, u"Get"_s, u"reply"_s);
    ASSERT_TRUE(spinUntil([&] { return extra->showsTrayIcon(); }));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(shell.model().panelVisible());

    // A click on the icon opens the panel; a close, or another window of
    // Pelorin's opening, only hides it.
    extra->togglePanel();
    ASSERT_TRUE(panel->isVisible());
    panel->windowHandle()->close();
    EXPECT_FALSE(panel->isVisible());
    extra->openPanel();
    ASSERT_TRUE(panel->isVisible());
    extra->stepAside();
    EXPECT_FALSE(panel->isVisible());

    // A host that restarts at once keeps the icon; the window never shows.
    int windows = 0;
    const QObject scope;
    QObject::connect(panel, &PanelHost::appeared, &scope, [&] { ++windows; });
    services.setOwned(trayWatcher, false);
    spinFor(MenuBarExtra::hostReturnLimit / 2);
    services.setOwned(trayWatcher, true);
    spinFor(MenuBarExtra::hostReturnLimit);
    EXPECT_TRUE(extra->showsTrayIcon());
    EXPECT_EQ(windows, 0);

    // One that leaves the watcher and stays away gives way to the window.
    QElapsedTimer away;
    away.start();
    services.setTrayHost(false);
    ASSERT_TRUE(spinUntil([&] { return panel->isVisible(); }));
    // (A coarse timer may fire a little early.)
    EXPECT_GE(away.elapsed(), MenuBarExtra::hostReturnLimit.count() * 9 / 10);
    EXPECT_FALSE(extra->showsTrayIcon());

    services.setTrayHost(true);
    ASSERT_TRUE(spinUntil([&] { return extra->showsTrayIcon(); }));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_TRUE(shell.exits.empty());
}

// A host runs, but its watcher answers slowly: Qt, which would ask it too,
// blocking, is not asked until it answers quickly. Where Qt then cannot show
// an icon in it (it settled on another kind of tray before), the window
// stays, so Pelorin is never out of reach.
TEST_F(ShellTest, ASlowWatcherOrAHostQtCannotUseLeavesTheWindow)
{
    const auto asked = std::make_shared<int>(0);
    shell.trayAvailable = [asked] {
        ++*asked;
        return false;
    };
    bus.services(Kind::session).setOwned(trayWatcher, true);
    bus.services(Kind::session).setBehaviour(trayWatcher, u"Get"_s, u"late:400"_s);
    PelorinApp &app = shell.launch();
    ASSERT_TRUE(spinUntil([&] { return app.menuBarExtra()->panel()->isVisible(); }));
    EXPECT_EQ(*asked, 0);
    bus.services(Kind::session).setBehaviour(trayWatcher, u"Get"_s, u"reply"_s);
    ASSERT_TRUE(spinUntil([&] { return *asked > 0; }));
    EXPECT_FALSE(app.menuBarExtra()->showsTrayIcon());
    EXPECT_TRUE(app.menuBarExtra()->panel()->isVisible());
}

// The session bus goes as the desktop session ends: Pelorin quits through
// the orderly path, its locks released.
TEST_F(ShellTest, LosingTheSessionBusQuits)
{
    shell.launch();
    startSession();
    bus.stopDaemon(Kind::session);
    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    EXPECT_EQ(shell.state(), StateKind::inactive);
}

TEST_F(ShellTest, SleepEndsTheSessionBeforeTheDelayLockGoes)
{
    PelorinApp &app = shell.launch();
    startSession();
    EXPECT_EQ(app.menuBarExtra()->status(), AppStatus::on);
    // A slow gnome-session: had the delay lock gone first, the system bus's
    // services would see it well before the session locks were released.
    bus.services(Kind::session).setBehaviour(gnomeSession, u"Uninhibit"_s, u"slow:150"_s);

    bus.services(Kind::system).emitPrepareForSleep(true);
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::inactive; }));
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_TRUE(sessionLocks().isEmpty());

    QList<TestLockEvent> released = bus.services(Kind::session).events();
    released.removeIf([](const TestLockEvent &e) { return e.kind != u"released"_s; });
    const QList<TestLockEvent> delay = bus.services(Kind::system).events();
    ASSERT_EQ(released.size(), 2);
    ASSERT_EQ(delay.size(), 2);
    ASSERT_EQ(delay[1].kind, u"released"_s);
    for (const TestLockEvent &event : released)
        EXPECT_LT(event.at, delay[1].at) << "a session lock was released after the delay lock";

    // Waking takes the delay lock again; the session is not resumed.
    bus.services(Kind::system).emitPrepareForSleep(false);
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1));
    EXPECT_EQ(systemLocks().constFirst().mode, u"delay"_s);
    spinFor(50ms);
    EXPECT_EQ(shell.state(), StateKind::inactive);
    EXPECT_TRUE(sessionLocks().isEmpty());
    EXPECT_EQ(app.menuBarExtra()->status(), AppStatus::off);
}

// The machine slept and woke before the session's locks were released
// (logind stopped waiting): the delay lock held by then is for the next
// sleep and stays; that sleep, with nothing running, lets it go at once.
TEST_F(ShellTest, TheDelayLockTakenOnWakingOutlivesALateRelease)
{
    shell.launch();
    startSession();
    bus.services(Kind::session).setBehaviour(gnomeSession, u"Uninhibit"_s, u"late:300"_s);
    bus.services(Kind::system).emitPrepareForSleep(true);
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::stopping; }));
    EXPECT_FALSE(bus.services(Kind::system).waitForLockCount(0, 100ms)) << "gone before the release ended";

    bus.services(Kind::system).emitPrepareForSleep(false);
    ASSERT_TRUE(spinUntil([&] { return shell.state() == StateKind::inactive; }));
    EXPECT_FALSE(bus.services(Kind::system).waitForLockCount(0, 200ms)) << "the next sleep's delay lock went";
    bus.services(Kind::system).emitPrepareForSleep(true);
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
}

// The delay lock is held whenever it is wanted and logind is there: logind
// may come after the program, restart, answer late or not at all. A lock let
// go while it is being taken is dropped when the answer comes.
TEST_F(ShellTest, TheDelayLockFollowsLogind)
{
    const auto system = bus.services(Kind::system);
    bus.stopServices(Kind::system);
    SleepMonitor monitor(bus.connection(Kind::system));
    monitor.start();
    spinFor(50ms);
    EXPECT_FALSE(monitor.holdsDelayLock());

    // logind comes after the program.
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    ASSERT_TRUE(spinUntil([&] { return monitor.holdsDelayLock(); }));
    ASSERT_EQ(system.locks().size(), 1);
    EXPECT_EQ(system.locks().constFirst().mode, u"delay"_s);

    // It restarts, and answers only after three seconds: the answer counts
    // however late it comes. What it granted is held until let go.
    ASSERT_TRUE(bus.startServices(Kind::system, {}));
    system.setBehaviour(logind, u"Inhibit"_s, u"late:3000"_s);
    system.setOwned(logind, true);
    ASSERT_TRUE(system.waitForLockCount(1)); // granted
    spinFor(100ms);
    const qint64 letGo = std::chrono::steady_clock::now().time_since_epoch().count();
    monitor.releaseDelayLock();
    EXPECT_TRUE(system.waitForLockCount(0));
    const TestLockEvent last = system.events().constLast();
    EXPECT_EQ(last.kind, u"released"_s);
    EXPECT_GT(last.at, letGo) << "the late answer's lock was not the one held";

    // A request that logind never answers does not keep the next one (on
    // waking) from being sent.
    system.setBehaviour(logind, u"Inhibit"_s, u"hang"_s);
    monitor.takeDelayLock();
    spinFor(50ms);
    system.setBehaviour(logind, u"Inhibit"_s, u"reply"_s);
    monitor.takeDelayLock();
    EXPECT_TRUE(spinUntil([&] { return monitor.holdsDelayLock(); }));

    // Let go, and let go again while being taken: nothing stays held.
    monitor.releaseDelayLock();
    EXPECT_TRUE(system.waitForLockCount(0));
    system.setBehaviour(logind, u"Inhibit"_s, u"late:200"_s);
    monitor.takeDelayLock();
    monitor.releaseDelayLock();
    spinFor(400ms);
    EXPECT_TRUE(system.waitForLockCount(0));
    EXPECT_FALSE(monitor.holdsDelayLock());
}

// Quitting (asked twice) while the session's locks are being taken: the
// program exits once, after the acquire went through and its release was
// confirmed. A later request changes nothing.
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
    EXPECT_EQ(shell.state(), StateKind::stopping);
    EXPECT_TRUE(shell.exits.empty());
    ASSERT_TRUE(spinUntil([&] { return !shell.exits.empty(); }));
    EXPECT_EQ(shell.exits, std::vector<int>{0});
    EXPECT_TRUE(locksAtExit.isEmpty());
    EXPECT_EQ(stateAtExit, StateKind::inactive);
    EXPECT_TRUE(app.delegate().terminationPending());

    app.delegate().requestTermination();
    spinFor(50ms);
    EXPECT_EQ(shell.exits, std::vector<int>{0});
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

    // Disarmed, a tile does nothing.
    app.model().countdown().start(SessionDuration::hour1());
    EXPECT_EQ(shell.state(), StateKind::inactive);
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

// Coming back to the program (the desktop makes it the active one) reads
// again what the desktop may have changed meanwhile.
TEST_F(ShellTest, ComingBackToTheProgramRereadsTheLoginItem)
{
    shell.launch();
    ASSERT_FALSE(shell.model().preferences().opensAtLogin());
    // The desktop's own settings turn Pelorin on at login behind its back.
    orbel::AutostartIdentity identity;
    identity.configHome = shell.configHome();
    orbel::AutostartEntry(NativeLoginItemService(identity).entry()).enable();
    shell.app->delegate().applicationDidBecomeActive();
    EXPECT_TRUE(spinUntil([&] { return shell.model().preferences().opensAtLogin(); }));
}
