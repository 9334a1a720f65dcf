#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <QCoroTask>

#include <functional>
#include <memory>

namespace pelorin {

class AppModel;
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
    // released before the process exits. A second request starts nothing new.
    void requestTermination();
    bool terminationPending() const { return m_terminationPending; }

Q_SIGNALS:
    // Launch is complete (the model has started) in a normal run.
    void launched();

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
