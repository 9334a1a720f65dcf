#pragma once

// Helpers of the shell tests: spinning the event loop without naps, and the
// whole program built in this process over private test buses.

#include "app_model.h"
#include "native_login_item_service.h"
#include "pelorin_app.h"
#include "pelorin_application_delegate.h"
#include "pelorin_preferences.h"
#include "test_bus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

namespace pelorin::shelltest {

using Kind = test::TestBus::Kind;
using namespace std::chrono_literals;

inline const QString gnomeSession = QStringLiteral("org.gnome.SessionManager");
inline const QString logind = QStringLiteral("org.freedesktop.login1");
inline const QString trayWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// Runs the event loop until `done` holds or the time is up; unlike
// QTest::qWaitFor it takes no naps, so thousands of round trips stay fast.
template<typename Predicate>
bool spinUntil(Predicate done, std::chrono::milliseconds timeout = 10s)
{
    const QDeadlineTimer deadline(timeout);
    // Wakes the loop now and then, so the deadline is seen even when nothing
    // else happens.
    QTimer tick;
    tick.start(10);
    while (!done()) {
        if (deadline.hasExpired())
            return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Lets queued work run for a moment (nothing is expected to happen).
inline void spinFor(std::chrono::milliseconds span)
{
    spinUntil([] { return false; }, span);
}

// The whole program in this process: its buses are the test's private ones,
// its settings and autostart folder live in a temporary folder, and the exit
// it asks for is recorded instead of ending anything.
class ShellHarness {
public:
    explicit ShellHarness(test::TestBus &bus) : m_bus(bus) {}

    ~ShellHarness() { finish(); }

    // Ends the program as its owner does, once its pending work is done: the
    // operations on the locks end first (within their call time-outs), then
    // the program goes, then the deferred deletions and late replies run.
    void finish()
    {
        if (!app)
            return;
        spinUntil([this] { return app->model().countdown().sessions().pendingOperations() == 0; }, 15s);
        app.reset();
        spinFor(20ms);
    }

    QString configHome() const { return m_dir.filePath(QStringLiteral("config")); }
    QString settingsPath() const { return configHome() + QStringLiteral("/Pelorin/Pelorin.conf"); }

    PelorinApp::Environment environment(QStringList arguments = {QStringLiteral("pelorin")})
    {
        PelorinApp::Environment environment;
        environment.arguments = std::move(arguments);
        environment.sessionBus = m_bus.connection(Kind::session);
        environment.systemBus = m_bus.connection(Kind::system);
        environment.settingsPath = settingsPath();
        environment.makeLoginItemService = [config = configHome()] {
            orbel::AutostartIdentity identity;
            identity.configHome = config;
            return std::make_unique<NativeLoginItemService>(identity);
        };
        environment.exit = [this](int status) {
            exits.push_back(status);
            if (onExit)
                onExit(status);
        };
        environment.handleUnixSignals = false;
        environment.trayAvailable = trayAvailable;
        return environment;
    }

    PelorinApp &build(PelorinApp::Environment environment)
    {
        app = std::make_unique<PelorinApp>(std::move(environment));
        return *app;
    }

    // Ends the program of a previous launch, as a real one would, builds a
    // run with these arguments, launches it and waits until the model runs
    // and, when logind is served, the sleep delay lock is held.
    PelorinApp &launch(bool expectDelayLock = true, QStringList arguments = {QStringLiteral("pelorin")})
    {
        finish();
        build(environment(std::move(arguments)));
        bool launched = false;
        const QObject scope; // ends the connection with this call
        QObject::connect(&app->delegate(), &PelorinApplicationDelegate::launched, &scope, [&] { launched = true; });
        app->launchSoon();
        EXPECT_TRUE(spinUntil([&] { return launched; }));
        if (expectDelayLock) {
            EXPECT_TRUE(m_bus.services(Kind::system).waitForLockCount(1, 10s));
        }
        return *app;
    }

    AppModel &model() const { return app->model(); }
    SessionState::Kind state() const { return app->model().countdown().state().kind(); }

    std::unique_ptr<PelorinApp> app;
    // What Qt would answer about a tray (the offscreen platform has none).
    MenuBarExtra::TrayCheck trayAvailable;
    std::vector<int> exits;
    std::function<void(int)> onExit;

private:
    test::TestBus &m_bus;
    QTemporaryDir m_dir;
};

// Private buses with gnome-session and logind standing in, and the program
// over them.
class ShellFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {gnomeSession}));
        ASSERT_TRUE(bus.startServices(Kind::system, {logind}));
    }

    test::TestBus bus;
    ShellHarness shell{bus};
};

} // namespace pelorin::shelltest
