#pragma once

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>

namespace pelorin {

// Hears from systemd-logind that the machine is about to sleep. While the
// program runs it holds a logind "sleep" delay lock, so that it can end the
// session and release its locks before the machine goes down; it lets the
// delay lock go once that is done and takes it again after waking.
//
// The delay lock is taken whenever logind comes (back) on the bus while one
// is wanted: logind may start after the program, or restart. An answer that
// comes late is still taken; a new lock replaces the one held, which goes
// only once the new one is in place.
class SleepMonitor : public QObject {
    Q_OBJECT
public:
    explicit SleepMonitor(QDBusConnection systemBus, QObject *parent = nullptr);
    ~SleepMonitor() override;

    // Subscribes to the sleep notice and takes the delay lock. Without logind
    // there is no notice until it comes, and nothing else changes.
    void start();
    // Takes the delay lock unless it is held, and from now on whenever logind
    // comes (back).
    void takeDelayLock();
    // Lets the delay lock go; one still on its way is let go as it arrives.
    void releaseDelayLock();
    bool holdsDelayLock() const { return m_delayLock >= 0; }

Q_SIGNALS:
    // `starting` is true before sleep and false after waking.
    void prepareForSleep(bool starting);

private Q_SLOTS:
    void onPrepareForSleep(bool starting);

private:
    // Asks logind for a delay lock; the answer is taken whenever it comes.
    void ask();

    QDBusConnection m_bus;
    QDBusServiceWatcher m_logind;
    int m_delayLock = -1;
    // Whether the lock should be held: a release while the lock is still
    // being taken must win over the answer that comes in later.
    bool m_wanted = false;
};

} // namespace pelorin
