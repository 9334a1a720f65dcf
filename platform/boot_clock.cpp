#include "boot_clock.h"

#include "wake.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace pelorin {

Duration bootClockNow()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return Duration::seconds(ts.tv_sec) + Duration::nanoseconds(ts.tv_nsec);
}

BootTimer::BootTimer(QObject *parent) : QObject(parent)
{
    m_fd = timerfd_create(CLOCK_BOOTTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0)
        m_error = errno;
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Read, this);
        m_notifier->setEnabled(false);
        connect(m_notifier, &QSocketNotifier::activated, this, &BootTimer::onReadable);
    }
}

BootTimer::~BootTimer()
{
    delete m_notifier;
    if (m_fd >= 0)
        ::close(m_fd);
}

bool BootTimer::start(Duration span)
{
    stop();
    if (m_fd < 0)
        return false;
    m_active = true;
    const quint64 generation = ++m_generation;
    if (span <= Duration::zero()) {
        QTimer::singleShot(0, this, [this, generation] {
            if (m_active && generation == m_generation) {
                m_active = false;
                Q_EMIT timeout();
            }
        });
        return true;
    }
    const auto c = span.components();
    itimerspec setting{};
    setting.it_value.tv_sec = static_cast<time_t>(c.seconds);
    // Rounded up, so the timer never fires before the span has passed.
    setting.it_value.tv_nsec = static_cast<long>((c.attoseconds + 999'999'999) / 1'000'000'000);
    if (setting.it_value.tv_nsec >= 1'000'000'000) {
        setting.it_value.tv_sec += 1;
        setting.it_value.tv_nsec -= 1'000'000'000;
    }
    if (timerfd_settime(m_fd, 0, &setting, nullptr) != 0) {
        m_error = errno;
        m_active = false;
        return false;
    }
    m_notifier->setEnabled(true);
    return true;
}

void BootTimer::stop()
{
    m_active = false;
    if (m_fd >= 0) {
        const itimerspec off{};
        timerfd_settime(m_fd, 0, &off, nullptr);
        m_notifier->setEnabled(false);
    }
}

void BootTimer::onReadable()
{
    std::uint64_t expirations = 0;
    ssize_t got = 0;
    do {
        got = ::read(m_fd, &expirations, sizeof expirations);
    } while (got < 0 && errno == EINTR);
    // Nothing to read: the timer was re-armed after it expired but before this
    // wake-up was delivered, which reset its count. Keep waiting for the new arm.
    if (got != static_cast<ssize_t>(sizeof expirations) || expirations == 0)
        return;
    m_notifier->setEnabled(false);
    if (!m_active)
        return;
    m_active = false;
    Q_EMIT timeout();
}

void Cancellation::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    Q_EMIT cancelled();
}

QCoro::Task<bool> sleepOnBootClock(Duration span, std::shared_ptr<Cancellation> cancellation)
{
    if (cancellation->isCancelled())
        co_return false;
    BootTimer timer;
    Wake end(cancellation.get());
    const Wake::Trigger done = end.trigger();
    QObject::connect(&timer, &BootTimer::timeout, &timer, [done] { done.fire(); });
    QObject::connect(cancellation.get(), &Cancellation::cancelled, &timer, [done] { done.fire(); });
    if (!timer.start(span))
        throw BootTimerUnavailable{timer.error()};
    co_await end;
    co_return !cancellation->isCancelled();
}

} // namespace pelorin
