#pragma once

#include "duration.h"

#include <QCoroTask>
#include <QObject>

#include <memory>

class QSocketNotifier;

namespace pelorin {

// The time since boot, counting the time the machine was suspended
// (CLOCK_BOOTTIME). Never jumps back.
Duration bootClockNow();

// A single-shot timer on CLOCK_BOOTTIME, so it fires on time even when the
// machine slept in between (a QTimer's clock stops during suspend).
class BootTimer : public QObject {
    Q_OBJECT
public:
    explicit BootTimer(QObject *parent = nullptr);
    ~BootTimer() override;

    // Whether the kernel gave us a timer; when not, error() is its errno.
    bool isValid() const { return m_fd >= 0; }
    int error() const { return m_error; }

    // (Re)arms the timer to fire once `span` from now; a span of zero or less
    // fires on the next turn of the event loop. False when the timer could
    // not be armed: it will not fire.
    bool start(Duration span);
    void stop();
    bool isActive() const { return m_active; }

Q_SIGNALS:
    void timeout();

private:
    void onReadable();

    int m_fd = -1;
    int m_error = 0;
    QSocketNotifier *m_notifier = nullptr;
    bool m_active = false;
    // Counts (re)arms, so a queued immediate fire of an earlier arm is dropped.
    quint64 m_generation = 0;
};

// A cancellation flag shared between the owner of a wait and the wait itself.
class Cancellation : public QObject {
    Q_OBJECT
public:
    bool isCancelled() const { return m_cancelled; }
    void cancel();

Q_SIGNALS:
    void cancelled();

private:
    bool m_cancelled = false;
};

// Thrown when no boot-clock timer can be had (the process is out of file
// descriptors, say); `error` is the errno.
struct BootTimerUnavailable {
    int error = 0;
};

// Sleeps on CLOCK_BOOTTIME for `span`. Returns true when the span passed,
// false when `cancellation` was cancelled first. Throws BootTimerUnavailable
// when it cannot sleep at all.
QCoro::Task<bool> sleepOnBootClock(Duration span, std::shared_ptr<Cancellation> cancellation);

} // namespace pelorin
