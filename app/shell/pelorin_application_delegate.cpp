#include "pelorin_application_delegate.h"

#include "app_model.h"
#include "pelorin_preferences.h"
#include "sleep_monitor.h"
#include "wake.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace pelorin {

namespace {
const QString validateFlag = QStringLiteral("--validate-energy");
const QString welcomeFlag = QStringLiteral("--welcome");

QCoro::Task<> runThenFire(QCoro::Task<> work, Wake::Trigger done)
{
    co_await work;
    done.fire();
}

// Waits for `work` to end, for at most `limit`, or until `context` goes; the
// work goes on after that if it has not ended, but nobody waits for it any
// more.
QCoro::Task<> within(QCoro::Task<> work, std::chrono::milliseconds limit, QObject *context)
{
    Wake end(context, limit);
    runThenFire(std::move(work), end.trigger());
    co_await end;
}
} // namespace

PelorinApplicationDelegate::PelorinApplicationDelegate(QObject *parent)
    : QObject(parent), m_exit([](int status) { QCoreApplication::exit(status); })
{
}

PelorinApplicationDelegate::~PelorinApplicationDelegate() = default;

void PelorinApplicationDelegate::setSleepMonitor(SleepMonitor *monitor)
{
    m_sleepMonitor = monitor;
}

bool PelorinApplicationDelegate::isValidationRun() const
{
    return m_arguments.contains(validateFlag);
}

void PelorinApplicationDelegate::applicationDidFinishLaunching()
{
    if (isValidationRun()) {
        std::fputs("Pelorin energy validation is unavailable in this build.\n", stderr);
        std::fflush(stderr);
        m_exit(1);
        return;
    }
    if (!m_model)
        return;
    if (m_model->isSnapshot()) {
        if (m_snapshotRunner)
            m_snapshotRunner(*m_model);
        return;
    }
    if (m_sleepMonitor) {
        connect(m_sleepMonitor, &SleepMonitor::prepareForSleep, this,
                [this](bool starting) { prepareForSleep(starting); });
        m_sleepMonitor->start();
    }
    launch();
}

QCoro::Task<> PelorinApplicationDelegate::launch()
{
    QPointer<PelorinApplicationDelegate> self(this);
    QPointer<AppModel> model = m_model;
    co_await model->start();
    if (!self || !model)
        co_return;
    if ((!model->preferences().hasSeenWelcome() || m_arguments.contains(welcomeFlag)) && m_welcomeRoute)
        m_welcomeRoute(*model);
    Q_EMIT launched();
}

void PelorinApplicationDelegate::applicationDidBecomeActive()
{
    if (!m_model || m_model->isSnapshot())
        return;
    m_model->refresh();
}

void PelorinApplicationDelegate::willSleep()
{
    if (m_model)
        m_model->countdown().stop();
}

QCoro::Task<> PelorinApplicationDelegate::prepareForSleep(bool starting)
{
    const QPointer<PelorinApplicationDelegate> self(this);
    const QPointer<SleepMonitor> monitor = m_sleepMonitor;
    const quint64 round = ++m_sleepRound;
    if (!starting) {
        if (monitor)
            monitor->takeDelayLock();
        co_return;
    }
    willSleep();
    // The machine waits (up to logind's delay limit) until the locks are gone.
    // (No variable declared in a condition lives across a co_await: GCC 12
    // mislays such variables in the coroutine frame.)
    const QPointer<AppModel> model = m_model;
    if (model)
        co_await within(model->countdown().sessions().drain(), sleepLimit, this);
    // When logind gave up waiting and the machine has slept and woken in the
    // meantime, the delay lock held now was taken for the next sleep.
    if (self && round != m_sleepRound)
        co_return;
    if (monitor)
        monitor->releaseDelayLock();
}

void PelorinApplicationDelegate::requestTermination()
{
    if (!m_model || m_model->isSnapshot()) {
        m_exit(0);
        return;
    }
    if (m_terminationPending)
        return;
    m_terminationPending = true;
    Q_EMIT terminating();
    terminate();
}

QCoro::Task<> PelorinApplicationDelegate::terminate()
{
    const auto exit = m_exit;
    QPointer<AppModel> model = m_model;
    co_await within(model->shutdown(), quitLimit, this);
    exit(0);
}

} // namespace pelorin
