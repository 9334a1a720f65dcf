// The real program as a child process, headless, with a home of its own: the
// validation answer, the quit signals and the one copy per desktop against
// private buses.

#include "menu_bar_extra.h"
#include "panel_host.h"
#include "shell_test_support.h"

#include <QApplication>

#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>

using namespace pelorin;
using namespace pelorin::shelltest;
using namespace Qt::StringLiterals;
using pelorin::test::TestBus;
using pelorin::test::TestLockEvent;

namespace {

constexpr int childTimeoutMs = 60'000;

class ProgramTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir().mkpath(runtimeDir()));
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString configHome() const { return home.filePath(u"config"_s); }
    QString runtimeDir() const { return home.filePath(u"runtime"_s); }

    // The child's world: a private home, the offscreen platform and, when
    // given, the test's buses; otherwise the dead addresses of the test main.
    void start(QProcess &child, const QStringList &arguments, const TestBus *bus = nullptr) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        environment.insert(u"HOME"_s, home.path());
        environment.insert(u"XDG_CONFIG_HOME"_s, configHome());
        environment.insert(u"XDG_DATA_HOME"_s, home.filePath(u"data"_s));
        environment.insert(u"XDG_CACHE_HOME"_s, home.filePath(u"cache"_s));
        environment.insert(u"XDG_STATE_HOME"_s, home.filePath(u"state"_s));
        environment.insert(u"XDG_RUNTIME_DIR"_s, runtimeDir());
        if (bus) {
            environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, bus->address(Kind::session));
            environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, bus->address(Kind::system));
        }
        child.setProcessEnvironment(environment);
        child.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        child.start(QStringLiteral(PELORIN_PROGRAM), arguments);
        ASSERT_TRUE(child.waitForStarted(childTimeoutMs));
    }

    // Every file the child left in its configuration folder.
    QStringList configFiles() const
    {
        QStringList files;
        QDirIterator it(configHome(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(it.next());
        return files;
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
        EXPECT_EQ(configFiles(), QStringList{});
    }
}

class ProgramSignalTest : public ProgramTest, public testing::WithParamInterface<int> {};

TEST_P(ProgramSignalTest, QuitSignalExitsCleanlyAndLetsEveryLockGo)
{
    TestBus bus;
    ASSERT_TRUE(bus.isValid());
    ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
    ASSERT_TRUE(bus.startServices(Kind::system, {logind}));

    QProcess child;
    start(child, {}, &bus);
    // Running: it holds logind's sleep delay lock.
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1, std::chrono::milliseconds(childTimeoutMs)))
        << child.readAllStandardError().toStdString();
    ASSERT_EQ(bus.services(Kind::system).locks().constFirst().mode, u"delay"_s);

    ASSERT_EQ(::kill(static_cast<pid_t>(child.processId()), GetParam()), 0);
    ASSERT_TRUE(child.waitForFinished(childTimeoutMs));
    const QByteArray errors = child.readAllStandardError();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << errors.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << errors.toStdString();

    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_TRUE(bus.services(Kind::session).locks().isEmpty());
    const QList<TestLockEvent> events = bus.services(Kind::system).events();
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[1].kind, u"released"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Signals, ProgramSignalTest, testing::Values(SIGTERM, SIGINT, SIGHUP), [](const testing::TestParamInfo<int> &info) {
        return std::string(info.param == SIGTERM ? "SIGTERM" : info.param == SIGINT ? "SIGINT" : "SIGHUP");
    });

// One Pelorin per desktop: of eight copies started at once, one runs and the
// others leave with status 0; a later copy opens the running one's panel, or
// with "--welcome" its welcome window. However many quit signals arrive, the
// one that runs exits with status 0.
TEST_F(ProgramTest, OnlyOneCopyRunsAndASecondHandsOverToIt)
{
    TestBus bus;
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
    // Only the running copy holds a sleep delay lock.
    ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(1, std::chrono::milliseconds(childTimeoutMs)));
    spinFor(200ms);
    EXPECT_EQ(bus.services(Kind::system).locks().size(), 1);

    for (int i = 0; i < 60; ++i)
        ::kill(static_cast<pid_t>(running->processId()), i % 3 == 0 ? SIGTERM : i % 3 == 1 ? SIGINT : SIGHUP);
    ASSERT_TRUE(
        spinUntil([&] { return running->state() == QProcess::NotRunning; }, std::chrono::milliseconds(childTimeoutMs)));
    EXPECT_EQ(running->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(running->exitCode(), 0);

    // A copy in this process runs; one started later opens its panel, or its
    // welcome window, and leaves.
    ShellHarness shell(bus);
    PelorinApp &app = shell.launch();
    PanelHost *panel = app.menuBarExtra()->panel();
    panel->hide();
    const auto welcomeShown = [] {
        return std::ranges::any_of(QApplication::topLevelWidgets(), [](const QWidget *w) {
            return w->isVisible() && w->windowTitle() == u"Getting Started"_s;
        });
    };
    // The first launch showed the welcome window: out of the way with it.
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->windowTitle() == u"Getting Started"_s)
            window->close();
    }
    ASSERT_FALSE(welcomeShown());
    for (const QStringList &arguments : {QStringList{}, QStringList{u"--welcome"_s}}) {
        QProcess later;
        start(later, arguments, &bus);
        ASSERT_TRUE(spinUntil([&] { return later.state() == QProcess::NotRunning; },
                              std::chrono::milliseconds(childTimeoutMs)));
        EXPECT_EQ(later.exitCode(), 0);
    }
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(welcomeShown());
}

} // namespace
