#include "sleep_monitor.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace pelorin {

namespace {
const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
// A logind that answers late still grants the lock; one that has not
// answered within this is asked again next time.
constexpr int busTimeoutMs = 60'000;
} // namespace

SleepMonitor::SleepMonitor(QDBusConnection systemBus, QObject *parent)
    : QObject(parent), m_bus(std::move(systemBus)), m_logind(login1Service, m_bus)
{
    m_logind.setWatchMode(QDBusServiceWatcher::WatchForRegistration);
    connect(&m_logind, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        // A logind that came, or came back, knows nothing of a lock asked of
        // the one before: ask again.
        if (m_wanted)
            ask();
    });
}

SleepMonitor::~SleepMonitor()
{
    releaseDelayLock();
}

void SleepMonitor::start()
{
    if (!m_bus.isConnected())
        return;
    // The match follows the name to whichever process owns it.
    m_bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForSleep"), this,
                  SLOT(onPrepareForSleep(bool)));
    takeDelayLock();
}

void SleepMonitor::takeDelayLock()
{
    if (!m_bus.isConnected())
        return;
    m_wanted = true;
    // A request still unanswered may never be: logind may have dropped it.
    // Another one costs little, as answers replace one another.
    if (m_delayLock < 0)
        ask();
}

void SleepMonitor::ask()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(login1Service, login1Path, login1Manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Pelorin") << QStringLiteral("Ending the keep-awake session")
         << QStringLiteral("delay");
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, busTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        // Let go at once (the reply's descriptor closes with it) when the
        // sleep notice came while we were asking.
        if (!m_wanted || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const auto fd = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
        if (!fd.isValid())
            return;
        const int fresh = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
        if (fresh < 0)
            return;
        // The new one is in place: the one held before goes.
        if (m_delayLock >= 0)
            ::close(m_delayLock);
        m_delayLock = fresh;
    });
}

void SleepMonitor::releaseDelayLock()
{
    m_wanted = false;
    if (m_delayLock < 0)
        return;
    ::close(m_delayLock);
    m_delayLock = -1;
}

void SleepMonitor::onPrepareForSleep(bool starting)
{
    Q_EMIT prepareForSleep(starting);
}

} // namespace pelorin
