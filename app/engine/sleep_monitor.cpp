#include "sleep_monitor.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusUnixFileDescriptor>
#include <QPointer>

#include <QCoroDBus>

#include <fcntl.h>
#include <unistd.h>

namespace pelorin {

namespace {
const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString login1Manager = QStringLiteral("org.freedesktop.login1.Manager");
constexpr int callTimeoutMs = 3000;
} // namespace

SleepMonitor::SleepMonitor(QDBusConnection systemBus, QObject *parent) : QObject(parent), m_bus(std::move(systemBus))
{
}

SleepMonitor::~SleepMonitor()
{
    releaseDelayLock();
}

QCoro::Task<> SleepMonitor::start()
{
    if (!m_bus.isConnected())
        co_return;
    m_bus.connect(login1Service, login1Path, login1Manager, QStringLiteral("PrepareForSleep"), this,
                  SLOT(onPrepareForSleep(bool)));
    co_await takeDelayLock();
}

QCoro::Task<> SleepMonitor::takeDelayLock()
{
    if (!m_bus.isConnected())
        co_return;
    m_wanted = true;
    if (m_delayLock >= 0 || m_taking)
        co_return;
    m_taking = true;
    // The monitor may be gone by the time logind answers.
    const QPointer<SleepMonitor> self(this);
    QDBusMessage call =
        QDBusMessage::createMethodCall(login1Service, login1Path, login1Manager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Pelorin") << QStringLiteral("Ending the keep-awake session")
         << QStringLiteral("delay");
    const QDBusMessage reply = co_await m_bus.asyncCall(call, callTimeoutMs);
    if (!self)
        co_return;
    m_taking = false;
    // Let go at once (the reply's descriptor closes with it) when the sleep
    // notice came while we were asking.
    if (!m_wanted || reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        co_return;
    const auto fd = qdbus_cast<QDBusUnixFileDescriptor>(reply.arguments().constFirst());
    if (fd.isValid() && m_delayLock < 0)
        m_delayLock = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 3);
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
