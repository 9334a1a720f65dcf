#pragma once

#include <QDBusConnection>
#include <QObject>

#include <QCoroTask>

namespace pelorin {

// Hears from systemd-logind that the machine is about to sleep. While the
// program runs it holds a logind "sleep" delay lock, so that it can end the
// session and release its locks before the machine goes down; it lets the
// delay lock go once that is done and takes it again after waking.
class SleepMonitor : public QObject {
    Q_OBJECT
public:
    explicit SleepMonitor(QDBusConnection systemBus, QObject *parent = nullptr);
    ~SleepMonitor() override;

    // Subscribes to the sleep notice and takes the delay lock. Without logind
    // there is no notice, and nothing else changes.
    QCoro::Task<> start();
    // Takes the delay lock unless it is held or on its way.
    QCoro::Task<> takeDelayLock();
    // Lets the delay lock go; one still on its way is let go as it arrives.
    void releaseDelayLock();

Q_SIGNALS:
    // `starting` is true before sleep and false after waking.
    void prepareForSleep(bool starting);

private Q_SLOTS:
    void onPrepareForSleep(bool starting);

private:
    QDBusConnection m_bus;
    int m_delayLock = -1;
    bool m_taking = false;
    // Whether the lock should be held: a release while the lock is still
    // being taken must win over the answer that comes in later.
    bool m_wanted = false;
};

} // namespace pelorin
