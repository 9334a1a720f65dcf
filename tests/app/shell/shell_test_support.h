#pragma once

// Helpers of the shell tests: spinning the event loop without naps, the
// whole program built in this process over private test buses.

#include "app_model.h"
#include "login_item_service.h"
#include "native_login_item_service.h"
#include "pelorin_app.h"
#include "pelorin_application_delegate.h"
#include "pelorin_preferences.h"
#include "test_bus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

namespace pelorin::shelltest {

using Kind = test::TestBus::Kind;
using namespace std::chrono_literals;

inline const QString gnomeSession = QStringLiteral("org.gnome.SessionManager");
inline const QString logind = QStringLiteral("org.freedesktop.login1");

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

// The longest stretch the event loop went without turning, from the meter's
// construction on: a timer asks to run every few milliseconds and notes the
// gaps between its turns.
class LoopGapMeter {
public:
    LoopGapMeter()
    {
        m_clock.start();
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.elapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
        m_tick.start(5);
    }
    std::chrono::milliseconds longest() const { return std::chrono::milliseconds(m_longest); }

private:
    QTimer m_tick;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

inline int openDescriptors()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// The whole program in this process: its buses are the test's private ones,
// its settings and autostart folder live in a temporary folder, and the exit
// it asks for is recorded instead of ending anything.
class ShellHarness {
public:
    explicit ShellHarness(test::TestBus &bus) : m_bus(bus) {}

    ~ShellHarness()
    {
        app.reset();
        // Deferred deletions of the panel and late replies.
        spinFor(20ms);
    }

    QString settingsPath() const { return m_dir.filePath(QStringLiteral("config/Pelorin/Pelorin.conf")); }
    QString configHome() const { return m_dir.filePath(QStringLiteral("config")); }

    PelorinApp::Environment environment(QStringList arguments = {QStringLiteral("pelorin")})
    {
        PelorinApp::Environment environment;
        environment.arguments = std::move(arguments);
        environment.sessionBus = m_bus.connection(Kind::session);
        environment.systemBus = m_bus.connection(Kind::system);
        environment.settingsPath = settingsPath();
        const QString config = configHome();
        environment.makeLoginItemService = [config] {
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
        return environment;
    }

    PelorinApp &build(PelorinApp::Environment environment)
    {
        app = std::make_unique<PelorinApp>(std::move(environment));
        return *app;
    }

    // Builds a normal run, launches it and waits until the model runs and,
    // when logind is served, the sleep delay lock is held.
    PelorinApp &launch(bool expectDelayLock = true, bool handleUnixSignals = false)
    {
        auto environment = this->environment();
        environment.handleUnixSignals = handleUnixSignals;
        build(std::move(environment));
        bool launched = false;
        const auto connection =
            QObject::connect(&app->delegate(), &PelorinApplicationDelegate::launched, [&launched] { launched = true; });
        app->launchSoon();
        EXPECT_TRUE(spinUntil([&] { return launched; }));
        QObject::disconnect(connection);
        if (expectDelayLock) {
            EXPECT_TRUE(m_bus.services(Kind::system).waitForLockCount(1, 10s));
        }
        return *app;
    }

    AppModel &model() const { return app->model(); }
    SessionState::Kind state() const { return app->model().countdown().state().kind(); }

    std::unique_ptr<PelorinApp> app;
    std::vector<int> exits;
    std::function<void(int)> onExit;

private:
    test::TestBus &m_bus;
    QTemporaryDir m_dir;
};

} // namespace pelorin::shelltest
