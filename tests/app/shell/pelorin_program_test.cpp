// The real program as a child process, headless, with a home of its own: the
// validation answer, and the one copy per desktop with its quit signals
// against private buses.

#include "menu_bar_extra.h"
#include "panel_host.h"
#include "shell_test_support.h"
#include "test_files.h"

#include <QApplication>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <functional>
#include <sys/prctl.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;

namespace {

constexpr int childTimeoutMs = 60'000;

class ProgramTest : public testing::Test {
protected:
    // The child's world: a private home, the offscreen platform and, when
    // given, the test's buses; otherwise the dead addresses of the test main.
    void start(QProcess &child, const QStringList &arguments, const test::TestBus *bus = nullptr,
               const std::function<void(QProcessEnvironment &)> &adjust = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, home.path());
        for (const QString &name : {u"config"_s, u"data"_s, u"cache"_s, u"state"_s})
            environment.insert(u"XDG_%1_HOME"_s.arg(name.toUpper()), home.filePath(name));
        // Private to its owner, as a runtime folder must be.
        environment.insert(u"XDG_RUNTIME_DIR"_s, home.path());
        if (bus) {
            environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus->address(Kind::session));
            environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, bus->address(Kind::system));
        }
        if (adjust)
            adjust(environment);
        child.setProcessEnvironment(environment);
        child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        child.start(QStringLiteral(PELORIN_PROGRAM), arguments);
        ASSERT_TRUE(child.waitForStarted(childTimeoutMs));
    }

    bool finishes(QProcess &child) const
    {
        return spinUntil([&] { return child.state() == QProcess::NotRunning; },
                         std::chrono::milliseconds(childTimeoutMs));
    }

    QTemporaryDir home;
};

TEST_F(ProgramTest, ValidateEnergyAnswersAndExitsWithOne)
{
    for (const QStringList &arguments :
         {QStringList{u"--validate-energy"_s},
          QStringList{u"--snapshot-state"_s, u"active"_s, u"--validate-energy"_s, u"--snapshot-screen"_s}}) {
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        QProcess child;
        start(child, arguments);
        ASSERT_TRUE(child.waitForFinished(childTimeoutMs));
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 1);
        EXPECT_EQ(child.readAllStandardError(), "Pelorin energy validation is unavailable in this build.\n");
        EXPECT_EQ(child.readAllStandardOutput(), "");
        // It wrote nothing: no settings, no autostart entry.
        EXPECT_FALSE(QDirIterator(home.filePath(u"config"_s), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories)
                         .hasNext());
    }
}

// Started outside a desktop session, Pelorin says so in one line and ends
// with status 1, where Qt alone would abort; a snapshot needs no display,
// whatever platform the command line or the environment asks for.
TEST_F(ProgramTest, WithoutADisplayOneLineAndStatusOneWhileSnapshotsStillDraw)
{
    const auto noDisplay = [](QProcessEnvironment &environment) {
        environment.remove(u"QT_QPA_PLATFORM"_s);
        environment.remove(u"DISPLAY"_s);
        environment.remove(u"WAYLAND_DISPLAY"_s);
    };
    QProcess program;
    start(program, {}, nullptr, noDisplay);
    ASSERT_TRUE(program.waitForFinished(childTimeoutMs));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardError(),
              "Pelorin needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set.\n");

    const QString picture = home.filePath(u"panel.png"_s);
    QProcess snapshot;
    start(snapshot, {u"-platform"_s, u"xcb"_s, u"--snapshot-file"_s, picture}, nullptr,
          [&](QProcessEnvironment &environment) {
              noDisplay(environment);
              environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
          });
    ASSERT_TRUE(snapshot.waitForFinished(childTimeoutMs));
    EXPECT_EQ(snapshot.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(snapshot.exitCode(), 0) << snapshot.readAllStandardError().toStdString();
    EXPECT_TRUE(QFileInfo(picture).size() > 0);
}

// One Pelorin per desktop: of eight copies started at once, one runs and the
// others leave with status 0. However many quit signals of every kind
// arrive, the one that runs exits with status 0 and lets every lock go. A
// later copy opens the running one's panel, or with "--welcome" its welcome
// window, and leaves.
TEST_F(ProgramTest, OnlyOneCopyRunsAndASecondHandsOverToIt)
{
    test::TestBus bus;
    ASSERT_TRUE(bus.isValid());
    ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));

    std::vector<std::unique_ptr<QProcess>> copies;
    for (int i = 0; i < 8; ++i) {
        copies.push_back(std::make_unique<QProcess>());
        start(*copies.back(), {}, &bus);
    }
    const auto finished = [&] {
        return std::ranges::count_if(copies, [](const auto &c) { return c->state() == QProcess::NotRunning; });
    };
    ASSERT_TRUE(spinUntil([&] { return finished() == 7; }, std::chrono::milliseconds(childTimeoutMs)));
    spinFor(200ms);
    ASSERT_EQ(finished(), 7);
    QProcess *running = nullptr;
    for (const auto &copy : copies) {
        if (copy->state() != QProcess::NotRunning) {
            running = copy.get();
            continue;
        }
        EXPECT_EQ(copy->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(copy->exitCode(), 0) << copy->readAllStandardError().toStdString();
    }
    ASSERT_NE(running, nullptr);
    // Only the running copy holds a sleep delay lock.
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1, std::chrono::milliseconds(childTimeoutMs)));
    spinFor(200ms);
    EXPECT_EQ(bus.services(Kind::system).locks().size(), 1);

    for (int i = 0; i < 60; ++i)
        ::kill(static_cast<pid_t>(running->processId()), i % 3 == 0 ? SIGTERM : i % 3 == 1 ? SIGINT : SIGHUP);
    ASSERT_TRUE(finishes(*running));
    EXPECT_EQ(running->exitStatus(), QProcess::NormalExit) << running->readAllStandardError().toStdString();
    EXPECT_EQ(running->exitCode(), 0);
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_TRUE(bus.services(Kind::session).locks().isEmpty());

    // A copy in this process runs, its welcome already seen; the later ones
    // hand over to it.
    ShellHarness shell(bus);
    ASSERT_TRUE(test::writeFile(shell.settingsPath(), "[General]\nseenWelcome=true\n"));
    MenuBarExtra *tray = shell.launch().menuBarExtra();
    ASSERT_NE(tray, nullptr);
    PanelHost *panel = tray->panel();
    ASSERT_NE(panel, nullptr);
    panel->hide();
    const auto welcomeShown = [] {
        return std::ranges::any_of(QApplication::topLevelWidgets(), [](const QWidget *w) {
            return w->isVisible() && w->windowTitle() == u"Getting Started"_s;
        });
    };
    ASSERT_FALSE(welcomeShown());
    for (const QStringList &arguments : {QStringList{}, QStringList{u"--welcome"_s}}) {
        QProcess later;
        start(later, arguments, &bus);
        ASSERT_TRUE(finishes(later));
        EXPECT_EQ(later.exitCode(), 0);
    }
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(welcomeShown());
}

// On X11 with no tray at all, Pelorin is a window and Qt is not asked about
// trays (it would settle on X11 tray icons for good): a StatusNotifier tray
// that starts later gets the item.
TEST_F(ProgramTest, OnX11ATrayThatStartsLaterGetsTheItem)
{
    const auto xvfb = test::childProcess(SIGTERM);
    xvfb->start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s});
    const QByteArray display = test::firstLine(*xvfb, childTimeoutMs);
    ASSERT_FALSE(display.isEmpty()) << "Xvfb (Debian package xvfb) did not start";
    test::TestBus bus;
    ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    const auto onX11 = [&](QProcessEnvironment &environment) {
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        environment.insert(u"DISPLAY"_s, u':' + QString::fromLatin1(display));
    };
    QProcess pelorin;
    start(pelorin, {}, &bus, onX11);
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1, std::chrono::milliseconds(childTimeoutMs)));
    // Once a later copy has handed over to it, it has had the answer to its
    // first question about the tray, which came before.
    QProcess later;
    start(later, {}, &bus, onX11);
    ASSERT_TRUE(finishes(later));
    const test::TestServicesClient services = bus.services(Kind::session);
    services.setOwned(trayWatcher, true);
    EXPECT_TRUE(spinUntil([&] { return !services.trayItems().isEmpty(); }, std::chrono::milliseconds(childTimeoutMs)));
}

} // namespace
