#include "native_energy_assertion_driver.h"

#include "boot_clock.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin {

namespace {

// How the locks introduce themselves to the desktop.
const QString applicationName = u"Pelorin"_s;
const QString lockName = u"Pelorin session"_s;

// A time-out beyond this is as good as none; capping it keeps the timer's
// arithmetic in range.
constexpr double longestTimeout = 100.0 * 365 * 24 * 3600;
// When a lock cannot be let go at its time-out, the next try comes this late.
constexpr Duration expiryRetry = Duration::seconds(30);

// The service is not on the bus, or not this kind of service.
bool isAbsent(const QString &error)
{
    static const std::array names{
        u"org.freedesktop.DBus.Error.ServiceUnknown"_s,   u"org.freedesktop.DBus.Error.NameHasNoOwner"_s,
        u"org.freedesktop.DBus.Error.UnknownObject"_s,    u"org.freedesktop.DBus.Error.UnknownMethod"_s,
        u"org.freedesktop.DBus.Error.UnknownInterface"_s, u"org.freedesktop.DBus.Error.Disconnected"_s,
        u"org.freedesktop.DBus.Error.NoServer"_s,
    };
    return std::ranges::find(names, error) != names.end();
}

// The peer that granted a lock has left the bus, and its locks with it.
bool isGone(const QString &error)
{
    return error == "org.freedesktop.DBus.Error.ServiceUnknown"_L1 ||
           error == "org.freedesktop.DBus.Error.NameHasNoOwner"_L1 ||
           error == "org.freedesktop.DBus.Error.Disconnected"_L1 || error == "org.freedesktop.DBus.Error.NoServer"_L1;
}

int codeFor(const QString &error)
{
    if (isAbsent(error))
        return -ENOENT;
    if (error == "org.freedesktop.DBus.Error.AccessDenied"_L1 || error == "org.freedesktop.DBus.Error.AuthFailed"_L1 ||
        error == "org.freedesktop.DBus.Error.InteractiveAuthorizationRequired"_L1)
        return -EACCES;
    if (error == "org.freedesktop.DBus.Error.NoReply"_L1 || error == "org.freedesktop.DBus.Error.Timeout"_L1 ||
        error == "org.freedesktop.DBus.Error.TimedOut"_L1)
        return -ETIMEDOUT;
    return -EIO;
}

// How much a failure tells the user; the most telling one is reported.
int weight(int code)
{
    switch (code) {
    case -EACCES:
        return 3;
    case -ETIMEDOUT:
        return 2;
    case -EIO:
        return 1;
    default:
        return 0;
    }
}

int codeOf(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ErrorMessage ? codeFor(reply.errorName()) : -EIO;
}

} // namespace

struct NativeEnergyAssertionDriver::Attempt {
    int code = 0; // 0 when the lock was granted
    QString owner;
    std::uint32_t cookie = 0;
    int fd = -1;

    static Attempt failed(int code)
    {
        Attempt attempt;
        attempt.code = code;
        return attempt;
    }
    static Attempt granted(QString owner, std::uint32_t cookie, int fd)
    {
        Attempt attempt;
        attempt.owner = std::move(owner);
        attempt.cookie = cookie;
        attempt.fd = fd;
        return attempt;
    }
};

NativeEnergyAssertionDriver::NativeEnergyAssertionDriver(QObject *parent)
    : NativeEnergyAssertionDriver(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

NativeEnergyAssertionDriver::NativeEnergyAssertionDriver(QDBusConnection sessionBus, QDBusConnection systemBus,
                                                         QObject *parent)
    : QObject(parent), m_sessionBus(std::move(sessionBus)), m_systemBus(std::move(systemBus))
{
}

NativeEnergyAssertionDriver::~NativeEnergyAssertionDriver()
{
    // A lock that cannot be let go now goes when the process ends.
    for (auto &entry : m_locks)
        releaseLock(entry.second);
}

QVariantMap NativeEnergyAssertionDriver::assertionProperties(bool display, std::optional<double> timeout)
{
    QVariantMap properties{
        {u"AssertType"_s, display ? u"PreventUserIdleDisplaySleep"_s : u"PreventUserIdleSystemSleep"_s},
        {u"AssertName"_s, lockName},
        {u"AssertLevel"_s, 255},
    };
    if (timeout) {
        properties.insert(u"TimeoutSeconds"_s, *timeout);
        properties.insert(u"TimeoutAction"_s, u"TimeoutActionTurnOff"_s);
    }
    return properties;
}

EnergyAssertionID NativeEnergyAssertionDriver::create(bool display, std::optional<double> timeout)
{
    const std::array order = display ? std::array{Backend::gnomeSession, Backend::screenSaver, Backend::logind}
                                     : std::array{Backend::gnomeSession, Backend::powerManagement, Backend::logind};
    int code = -ENOENT;
    for (const Backend backend : order) {
        const Attempt attempt = inhibit(backend, display);
        if (attempt.code != 0) {
            if (weight(attempt.code) > weight(code))
                code = attempt.code;
            continue;
        }
        const std::uint32_t id = m_nextId++;
        Lock &lock = m_locks[id];
        lock.backend = backend;
        lock.owner = attempt.owner;
        lock.cookie = attempt.cookie;
        lock.fd = attempt.fd;
        lock.properties = assertionProperties(display, timeout);
        // A time-out that is not a number or is infinite means none.
        if (timeout && std::isfinite(*timeout)) {
            lock.timer = std::make_unique<BootTimer>(this);
            connect(lock.timer.get(), &BootTimer::timeout, this, [this, id] { expire(id); });
            lock.timer->start(Duration::seconds(std::clamp(*timeout, 0.0, longestTimeout)));
        }
        return EnergyAssertionID{id};
    }
    throw EnergyFailure(display ? EnergyFailure::Operation::createDisplay : EnergyFailure::Operation::createSystem,
                        code, false);
}

void NativeEnergyAssertionDriver::release(EnergyAssertionID id)
{
    const auto it = m_locks.find(id.rawValue);
    if (it == m_locks.end()) {
        if (m_expired.remove(id.rawValue))
            return;
        throw EnergyFailure(EnergyFailure::Operation::release, -EINVAL, true);
    }
    if (const int code = releaseLock(it->second); code != 0)
        throw EnergyFailure(EnergyFailure::Operation::release, code, true);
    m_locks.erase(it);
}

QVariantMap NativeEnergyAssertionDriver::properties(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    return it == m_locks.end() ? QVariantMap() : it->second.properties;
}

std::optional<NativeEnergyAssertionDriver::Backend> NativeEnergyAssertionDriver::backend(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    if (it == m_locks.end())
        return std::nullopt;
    return it->second.backend;
}

NativeEnergyAssertionDriver::Attempt NativeEnergyAssertionDriver::inhibit(Backend backend, bool display) const
{
    const QDBusConnection &bus = backend == Backend::logind ? m_systemBus : m_sessionBus;
    if (!bus.isConnected())
        return Attempt::failed(-ENOENT);
    QDBusMessage call;
    switch (backend) {
    case Backend::gnomeSession:
        call = QDBusMessage::createMethodCall(u"org.gnome.SessionManager"_s, u"/org/gnome/SessionManager"_s,
                                              u"org.gnome.SessionManager"_s, u"Inhibit"_s);
        // Flag 4 stops suspend, flag 8 keeps the session from going idle
        // (and so the screen on); no toplevel window.
        call << QStringLiteral(PELORIN_APP_ID) << 0u << lockName << (display ? 8u : 4u);
        break;
    case Backend::powerManagement:
        call = QDBusMessage::createMethodCall(u"org.freedesktop.PowerManagement"_s,
                                              u"/org/freedesktop/PowerManagement/Inhibit"_s,
                                              u"org.freedesktop.PowerManagement.Inhibit"_s, u"Inhibit"_s);
        call << applicationName << lockName;
        break;
    case Backend::screenSaver:
        call = QDBusMessage::createMethodCall(u"org.freedesktop.ScreenSaver"_s, u"/org/freedesktop/ScreenSaver"_s,
                                              u"org.freedesktop.ScreenSaver"_s, u"Inhibit"_s);
        call << applicationName << lockName;
        break;
    case Backend::logind:
        // The lock is a file descriptor, which only a connection that can
        // pass them receives.
        if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
            return Attempt::failed(-ENOENT);
        call = QDBusMessage::createMethodCall(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
                                              u"org.freedesktop.login1.Manager"_s, u"Inhibit"_s);
        // Idle only: a "sleep" lock would also block a suspend that the user
        // asks for, or a closed lid.
        call << u"idle"_s << applicationName << lockName << u"block"_s;
        break;
    }
    const QDBusMessage reply = bus.call(call, QDBus::Block, static_cast<int>(m_callTimeout.count()));
    if (reply.type() != QDBusMessage::ReplyMessage)
        return Attempt::failed(codeOf(reply));
    const QVariantList arguments = reply.arguments();
    if (backend == Backend::logind) {
        if (reply.signature() != "h"_L1)
            return Attempt::failed(-EIO);
        const auto descriptor = arguments.constFirst().value<QDBusUnixFileDescriptor>();
        // The reply's copy closes with the reply; the lock lives in ours.
        const int fd = descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
        if (fd < 0)
            return Attempt::failed(-EIO);
        return Attempt::granted(reply.service(), 0, fd);
    }
    if (reply.signature() != "u"_L1)
        return Attempt::failed(-EIO);
    return Attempt::granted(reply.service(), arguments.constFirst().toUInt(), -1);
}

int NativeEnergyAssertionDriver::releaseLock(Lock &lock) const
{
    if (lock.backend == Backend::logind) {
        ::close(lock.fd);
        lock.fd = -1;
        return 0;
    }
    // Without our connection the service has seen us leave, and let go.
    if (!m_sessionBus.isConnected())
        return 0;
    // Addressed to the very peer that granted the cookie: a cookie means
    // nothing to a service that has since restarted.
    QDBusMessage call;
    switch (lock.backend) {
    case Backend::gnomeSession:
        call = QDBusMessage::createMethodCall(lock.owner, u"/org/gnome/SessionManager"_s, u"org.gnome.SessionManager"_s,
                                              u"Uninhibit"_s);
        break;
    case Backend::powerManagement:
        call = QDBusMessage::createMethodCall(lock.owner, u"/org/freedesktop/PowerManagement/Inhibit"_s,
                                              u"org.freedesktop.PowerManagement.Inhibit"_s, u"UnInhibit"_s);
        break;
    case Backend::screenSaver:
        call = QDBusMessage::createMethodCall(lock.owner, u"/org/freedesktop/ScreenSaver"_s,
                                              u"org.freedesktop.ScreenSaver"_s, u"UnInhibit"_s);
        break;
    case Backend::logind:
        break;
    }
    call << lock.cookie;
    const QDBusMessage reply = m_sessionBus.call(call, QDBus::Block, static_cast<int>(m_callTimeout.count()));
    if (reply.type() == QDBusMessage::ReplyMessage)
        return 0;
    if (reply.type() == QDBusMessage::ErrorMessage && isGone(reply.errorName()))
        return 0;
    return codeOf(reply);
}

void NativeEnergyAssertionDriver::expire(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        return;
    Lock &lock = it->second;
    if (releaseLock(lock) != 0) {
        lock.timer->start(expiryRetry);
        return;
    }
    // The timer is still delivering this signal: let it finish first.
    lock.timer.release()->deleteLater();
    m_locks.erase(it);
    m_expired.insert(id);
}

} // namespace pelorin
