#pragma once

#include "menu_bar_extra.h"

#include <QDBusConnection>
#include <QObject>
#include <QStringList>

#include <QCoroTask>

#include <functional>
#include <memory>

namespace pelorin {

class AppModel;
class IOKitEnergyService;
class LoginItemService;
class PelorinApplicationDelegate;
class SingleInstance;
class SleepMonitor;
class UnixSignalWatcher;

// Builds and wires every long-lived object of the program, and puts it on
// the desktop.
class PelorinApp : public QObject {
    Q_OBJECT
public:
    // What the program takes from the world around it; tests hand in their
    // own buses, settings file and login item.
    struct Environment {
        QStringList arguments;
        QDBusConnection sessionBus{QString()};
        QDBusConnection systemBus{QString()};
        QString settingsPath;
        std::function<std::unique_ptr<LoginItemService>()> makeLoginItemService;
        std::function<void(int)> exit;
        // Catch SIGTERM, SIGINT and SIGHUP and quit through the orderly path.
        bool handleUnixSignals = true;
        // Whether a tray icon can be shown now; empty: Qt's own answer.
        MenuBarExtra::TrayCheck trayAvailable;
    };
    // The real desktop: the user's buses, settings and autostart folder.
    static Environment desktopEnvironment(const QStringList &arguments);
    // A snapshot or validation run: any argument beginning with
    // "--snapshot-", or exactly "--validate-energy".
    static bool isSnapshotOrValidationRun(const QStringList &arguments);

    explicit PelorinApp(Environment environment, QObject *parent = nullptr);
    ~PelorinApp() override;

    PelorinApplicationDelegate &delegate() const { return *m_delegate; }
    AppModel &model() const { return *m_model; }
    IOKitEnergyService &energyService() const { return *m_energyService; }
    // Absent in snapshot and validation runs.
    MenuBarExtra *menuBarExtra() const { return m_menuBarExtra.get(); }

    // Runs the launch on the next turn of the event loop. When another copy
    // already runs on this desktop, it is asked to show its panel (or its
    // welcome window) and this one exits with status 0 instead.
    void launchSoon();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    // The session bus went away: the desktop session is ending.
    void sessionBusLost();

private:
    QCoro::Task<> launch();

    std::unique_ptr<PelorinApplicationDelegate> m_delegate;
    std::function<void(int)> m_exit;
    std::unique_ptr<SingleInstance> m_singleInstance;
    bool m_isSnapshot = false;
    IOKitEnergyService *m_energyService = nullptr;
    std::unique_ptr<AppModel> m_model;
    std::unique_ptr<SleepMonitor> m_sleepMonitor;
    std::unique_ptr<UnixSignalWatcher> m_signals;
    std::unique_ptr<MenuBarExtra> m_menuBarExtra;
};

} // namespace pelorin
