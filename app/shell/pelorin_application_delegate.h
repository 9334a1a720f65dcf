#pragma once

#include "app_model.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <QCoroTask>

#include <chrono>
#include <functional>
#include <memory>

namespace pelorin {

class SleepMonitor;

// Reacts to the moments of the program's life: launch, becoming active, the
// machine going to sleep, and requests to quit.
class PelorinApplicationDelegate : public QObject {
    Q_OBJECT
public:
    explicit PelorinApplicationDelegate(QObject *parent = nullptr);
    ~PelorinApplicationDelegate() override;

    void setModel(AppModel *model) { m_model = model; }
    AppModel *model() const { return m_model; }
    void setArguments(const QStringList &arguments) { m_arguments = arguments; }
    const QStringList &arguments() const { return m_arguments; }
    // Where the sleep notice comes from; absent means no notice.
    void setSleepMonitor(SleepMonitor *monitor);
    // Ends the process's event loop with a status (QCoreApplication::exit).
    void setExit(std::function<void(int)> exit) { m_exit = std::move(exit); }
    // Plug-ins of the screens: the welcome route and the snapshot runner.
    void setWelcomeRoute(std::function<void(AppModel &)> route) { m_welcomeRoute = std::move(route); }
    void setSnapshotRunner(std::function<QCoro::Task<>(AppModel &)> runner) { m_snapshotRunner = std::move(runner); }

    void applicationDidFinishLaunching();
    void applicationDidBecomeActive();
    void willSleep();
    // Every way of quitting ends here: the session is stopped and its locks
    // released before the process exits, with status 0. A service that does
    // not answer holds the exit up for at most quitLimit: what is still held
    // then goes with the process. A second request starts nothing new.
    void requestTermination();

    // How long quitting, and ending the session before the machine sleeps,
    // wait for the locks to be released. The second stays within logind's
    // default delay of five seconds, so the delay lock is let go before
    // logind stops waiting.
    static constexpr std::chrono::milliseconds quitLimit{3000};
    static constexpr std::chrono::milliseconds sleepLimit{3000};
    bool terminationPending() const { return m_terminationPending; }

Q_SIGNALS:
    // Launch is complete (the model has started) in a normal run.
    void launched();
    // The first request to quit has come; the process is on its way out.
    void terminating();

private:
    QCoro::Task<> launch();
    QCoro::Task<> terminate();
    QCoro::Task<> prepareForSleep(bool starting);
    bool isValidationRun() const;

    QPointer<AppModel> m_model;
    bool m_terminationPending = false;
    // Counts sleep notices, so that a release that ends after the wake-up
    // leaves the new delay lock alone.
    quint64 m_sleepRound = 0;
    QStringList m_arguments;
    QPointer<SleepMonitor> m_sleepMonitor;
    std::function<void(int)> m_exit;
    std::function<void(AppModel &)> m_welcomeRoute;
    std::function<QCoro::Task<>(AppModel &)> m_snapshotRunner;
};

} // namespace pelorin
