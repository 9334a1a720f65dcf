#include "native_energy_assertion_driver.h"

#include "boot_clock.h"
#include "wake.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QPointer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
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
// Calls wait for their answer on a timer of ours; the bus itself never gives
// up on them, so an answer that comes late is still delivered.
constexpr int noBusTimeout = std::numeric_limits<int>::max();
// Between two rounds of seeking a lost lock again.
constexpr std::chrono::milliseconds retakePause{250};

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
    // Calls are sent without a bus time-out, so NoReply means that the
    // service left the bus without answering.
    return error == "org.freedesktop.DBus.Error.ServiceUnknown"_L1 ||
           error == "org.freedesktop.DBus.Error.NoReply"_L1 ||
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

void closeDescriptor(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

} // namespace

NativeEnergyAssertionDriver::NativeEnergyAssertionDriver(QObject *parent)
    : NativeEnergyAssertionDriver(QDBusConnection::sessionBus(), QDBusConnection::systemBus(), parent)
{
}

NativeEnergyAssertionDriver::NativeEnergyAssertionDriver(QDBusConnection sessionBus, QDBusConnection systemBus,
                                                         QObject *parent)
    : QObject(parent), m_sessionBus(std::move(sessionBus)), m_systemBus(std::move(systemBus))
{
    for (auto [watcher, bus, kind] : {std::tuple{&m_sessionOwners, m_sessionBus, Backend::gnomeSession},
                                      std::tuple{&m_systemOwners, m_systemBus, Backend::logind}}) {
        watcher->setConnection(bus);
        watcher->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this,
                [this, kind](const QString &name) { ownerLeft(kind, name); });
    }
}

NativeEnergyAssertionDriver::~NativeEnergyAssertionDriver()
{
    // Nothing is sent: the services drop our locks when we leave the bus.
    // A descriptor lock goes now, as it would with the process.
    for (auto &entry : m_locks)
        closeDescriptor(entry.second.grant.fd);
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

QCoro::Task<EnergyAssertionID> NativeEnergyAssertionDriver::create(bool display, std::optional<double> timeout)
{
    const auto operation = display ? EnergyFailure::Operation::createDisplay : EnergyFailure::Operation::createSystem;
    // A timed lock that could not let go by itself would outlast its session:
    // without a timer there is no lock.
    std::unique_ptr<BootTimer> timer;
    if (timeout && std::isfinite(*timeout)) {
        timer = std::make_unique<BootTimer>();
        if (!timer->isValid())
            throw EnergyFailure(operation, -timer->error(), false);
    }
    const QPointer<NativeEnergyAssertionDriver> self(this);
    const Grant grant = co_await takeFirst(display);
    if (!self) {
        closeDescriptor(grant.fd);
        throw EnergyFailure(operation, -ENOENT, false);
    }
    if (grant.code != 0)
        throw EnergyFailure(operation, grant.code, false);

    const std::uint32_t id = m_nextId++;
    Lock &lock = m_locks[id];
    lock.display = display;
    lock.properties = assertionProperties(display, timeout);
    hold(id, grant);
    if (timer) {
        lock.timer = std::move(timer);
        connect(lock.timer.get(), &BootTimer::timeout, this, [this, id] { expire(id); });
        if (!lock.timer->start(Duration::seconds(std::clamp(*timeout, 0.0, longestTimeout)))) {
            const int code = -lock.timer->error();
            discard(lock.grant);
            m_locks.erase(id);
            throw EnergyFailure(operation, code, false);
        }
    }
    co_return EnergyAssertionID{id};
}

QCoro::Task<> NativeEnergyAssertionDriver::release(EnergyAssertionID id)
{
    const std::uint32_t key = id.rawValue;
    const auto it = m_locks.find(key);
    if (it == m_locks.end()) {
        if (m_gone.remove(key))
            co_return;
        throw EnergyFailure(EnergyFailure::Operation::release, -EINVAL, true);
    }
    // Nothing is held while the lock is sought again; the search ends here.
    if (it->second.seeking) {
        m_locks.erase(it);
        co_return;
    }
    const QPointer<NativeEnergyAssertionDriver> self(this);
    const int code = co_await releaseHeld(key);
    if (!self)
        co_return;
    // Gone, perhaps in the meantime by its time-out: nothing more to release.
    m_gone.remove(key);
    if (code != 0)
        throw EnergyFailure(EnergyFailure::Operation::release, code, true);
}

QCoro::Task<int> NativeEnergyAssertionDriver::releaseHeld(std::uint32_t id)
{
    Lock &lock = m_locks.at(id);
    const QPointer<NativeEnergyAssertionDriver> self(this);
    const Grant grant = lock.grant;
    const quint64 generation = lock.generation;
    const bool uncertain = lock.uncertain;
    lock.releasing = true;
    lock.confirmed = false;
    // The answer to a release given up on: if it went through, the lock is
    // gone; if the service said no, it is still held.
    // (Named, not built inside the co_await: GCC 12 destroys such temporaries twice.)
    LateAnswer confirmation = [self, id, generation](const QDBusMessage &late) {
        if (!self)
            return;
        const auto held = self->m_locks.find(id);
        if (held == self->m_locks.end() || held->second.generation != generation)
            return;
        if (late.type() == QDBusMessage::ReplyMessage ||
            (late.type() == QDBusMessage::ErrorMessage && isGone(late.errorName()))) {
            if (held->second.releasing)
                held->second.confirmed = true;
            else
                self->forget(id);
        } else {
            held->second.uncertain = false;
        }
    };
    const int code = co_await letGo(grant, uncertain, std::move(confirmation));
    if (!self)
        co_return 0;
    const auto now = m_locks.find(id);
    if (now == m_locks.end())
        co_return 0;
    Lock &after = now->second;
    after.releasing = false;
    if (code == 0 || after.confirmed || after.generation != generation) {
        drop(id);
        co_return 0;
    }
    if (code == -ETIMEDOUT)
        after.uncertain = true;
    co_return code;
}

QVariantMap NativeEnergyAssertionDriver::properties(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    return it == m_locks.end() ? QVariantMap() : it->second.properties;
}

std::optional<NativeEnergyAssertionDriver::Backend> NativeEnergyAssertionDriver::backend(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    if (it == m_locks.end() || it->second.seeking)
        return std::nullopt;
    return it->second.grant.backend;
}

QDBusConnection NativeEnergyAssertionDriver::busFor(Backend backend) const
{
    return backend == Backend::logind ? m_systemBus : m_sessionBus;
}

QCoro::Task<std::optional<QDBusMessage>> NativeEnergyAssertionDriver::call(QDBusConnection bus, QDBusMessage message,
                                                                           std::chrono::milliseconds limit,
                                                                           LateAnswer late)
{
    Wake answered(this, limit);
    auto answer = std::make_shared<std::optional<QDBusMessage>>();
    // The watcher outlives the wait, to hand a late answer on; it goes with
    // the driver.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, noBusTimeout), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
            [done = answered.trigger(), answer, late = std::move(late)](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                if (done.fire())
                    *answer = finished->reply();
                else if (late)
                    late(finished->reply());
            });
    if (co_await answered != Wake::Cause::fired)
        co_return std::nullopt;
    co_return std::move(*answer);
}

QCoro::Task<NativeEnergyAssertionDriver::Grant> NativeEnergyAssertionDriver::inhibit(Backend backend, bool display,
                                                                                     std::chrono::milliseconds limit)
{
    const QDBusConnection bus = busFor(backend);
    if (!bus.isConnected())
        co_return Grant::failed(-ENOENT);
    QDBusMessage message;
    switch (backend) {
    case Backend::gnomeSession:
        message = QDBusMessage::createMethodCall(u"org.gnome.SessionManager"_s, u"/org/gnome/SessionManager"_s,
                                                 u"org.gnome.SessionManager"_s, u"Inhibit"_s);
        // Flag 4 stops suspend, flag 8 keeps the session from going idle
        // (and so the screen on); no toplevel window.
        message << QStringLiteral(PELORIN_APP_ID) << 0u << lockName << (display ? 8u : 4u);
        break;
    case Backend::powerManagement:
        message = QDBusMessage::createMethodCall(u"org.freedesktop.PowerManagement"_s,
                                                 u"/org/freedesktop/PowerManagement/Inhibit"_s,
                                                 u"org.freedesktop.PowerManagement.Inhibit"_s, u"Inhibit"_s);
        message << applicationName << lockName;
        break;
    case Backend::screenSaver:
        message = QDBusMessage::createMethodCall(u"org.freedesktop.ScreenSaver"_s, u"/org/freedesktop/ScreenSaver"_s,
                                                 u"org.freedesktop.ScreenSaver"_s, u"Inhibit"_s);
        message << applicationName << lockName;
        break;
    case Backend::logind:
        // The lock is a file descriptor, which only a connection that can
        // pass them receives.
        if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
            co_return Grant::failed(-ENOENT);
        message = QDBusMessage::createMethodCall(u"org.freedesktop.login1"_s, u"/org/freedesktop/login1"_s,
                                                 u"org.freedesktop.login1.Manager"_s, u"Inhibit"_s);
        // Idle only: a "sleep" lock would also block a suspend that the user
        // asks for, or a closed lid.
        message << u"idle"_s << applicationName << lockName << u"block"_s;
        break;
    }
    const QPointer<NativeEnergyAssertionDriver> self(this);
    LateAnswer late = [self, backend](const QDBusMessage &answer) {
        // Given up on already: whatever it grants now goes at once.
        if (self)
            self->discard(self->grantFrom(backend, answer));
    };
    const std::optional<QDBusMessage> answer = co_await call(bus, message, limit, std::move(late));
    if (!answer)
        co_return Grant::failed(-ETIMEDOUT);
    co_return grantFrom(backend, *answer);
}

QCoro::Task<NativeEnergyAssertionDriver::Grant> NativeEnergyAssertionDriver::takeFirst(bool display,
                                                                                       QDeadlineTimer until)
{
    const std::array order = display ? std::array{Backend::gnomeSession, Backend::screenSaver, Backend::logind}
                                     : std::array{Backend::gnomeSession, Backend::powerManagement, Backend::logind};
    const QPointer<NativeEnergyAssertionDriver> self(this);
    int code = -ENOENT;
    for (const Backend backend : order) {
        if (until.hasExpired())
            break;
        const auto limit = until.isForever() ? m_callTimeout
                                             : std::clamp(std::chrono::milliseconds(until.remainingTime()),
                                                          std::chrono::milliseconds(1), m_callTimeout);
        const Grant grant = co_await inhibit(backend, display, limit);
        if (grant.code == 0 || !self)
            co_return grant;
        // A call cut short by the end of the caller's window says nothing of
        // the service: it had less than a call's time to answer.
        if (grant.code == -ETIMEDOUT && limit < m_callTimeout)
            continue;
        if (weight(grant.code) > weight(code))
            code = grant.code;
    }
    co_return Grant::failed(code);
}

NativeEnergyAssertionDriver::Grant NativeEnergyAssertionDriver::grantFrom(Backend backend,
                                                                          const QDBusMessage &reply) const
{
    if (reply.type() != QDBusMessage::ReplyMessage)
        return Grant::failed(codeOf(reply));
    const QVariantList arguments = reply.arguments();
    Grant grant;
    grant.backend = backend;
    grant.owner = reply.service();
    if (backend == Backend::logind) {
        if (reply.signature() != "h"_L1)
            return Grant::failed(-EIO);
        const auto descriptor = arguments.constFirst().value<QDBusUnixFileDescriptor>();
        // The reply's copy closes with the reply; the lock lives in ours.
        grant.fd = descriptor.isValid() ? ::fcntl(descriptor.fileDescriptor(), F_DUPFD_CLOEXEC, 3) : -1;
        if (grant.fd < 0)
            return Grant::failed(-EIO);
        return grant;
    }
    if (reply.signature() != "u"_L1)
        return Grant::failed(-EIO);
    grant.cookie = arguments.constFirst().toUInt();
    return grant;
}

QCoro::Task<int> NativeEnergyAssertionDriver::letGo(Grant grant, bool uncertain, LateAnswer late)
{
    if (grant.backend == Backend::logind) {
        closeDescriptor(grant.fd);
        co_return 0;
    }
    // Without our connection the service has seen us leave, and let go.
    if (!m_sessionBus.isConnected())
        co_return 0;
    // Addressed to the very peer that granted the cookie: a cookie means
    // nothing to a service that has since restarted.
    QDBusMessage message;
    switch (grant.backend) {
    case Backend::gnomeSession:
        message = QDBusMessage::createMethodCall(grant.owner, u"/org/gnome/SessionManager"_s,
                                                 u"org.gnome.SessionManager"_s, u"Uninhibit"_s);
        break;
    case Backend::powerManagement:
        message = QDBusMessage::createMethodCall(grant.owner, u"/org/freedesktop/PowerManagement/Inhibit"_s,
                                                 u"org.freedesktop.PowerManagement.Inhibit"_s, u"UnInhibit"_s);
        break;
    case Backend::screenSaver:
    case Backend::logind:
        message = QDBusMessage::createMethodCall(grant.owner, u"/org/freedesktop/ScreenSaver"_s,
                                                 u"org.freedesktop.ScreenSaver"_s, u"UnInhibit"_s);
        break;
    }
    message << grant.cookie;
    const std::optional<QDBusMessage> answer = co_await call(m_sessionBus, message, m_callTimeout, std::move(late));
    if (!answer)
        co_return -ETIMEDOUT;
    if (answer->type() == QDBusMessage::ReplyMessage)
        co_return 0;
    // After a release that went unanswered, a service that no longer knows
    // the cookie has let go of it already.
    if (answer->type() == QDBusMessage::ErrorMessage &&
        (isGone(answer->errorName()) || (uncertain && codeFor(answer->errorName()) == -EIO)))
        co_return 0;
    co_return codeOf(*answer);
}

void NativeEnergyAssertionDriver::discard(const Grant &grant)
{
    if (grant.code != 0)
        return;
    if (grant.backend == Backend::logind) {
        closeDescriptor(grant.fd);
        return;
    }
    const QString path = grant.backend == Backend::gnomeSession      ? u"/org/gnome/SessionManager"_s
                         : grant.backend == Backend::powerManagement ? u"/org/freedesktop/PowerManagement/Inhibit"_s
                                                                     : u"/org/freedesktop/ScreenSaver"_s;
    const QString interface = grant.backend == Backend::gnomeSession      ? u"org.gnome.SessionManager"_s
                              : grant.backend == Backend::powerManagement ? u"org.freedesktop.PowerManagement.Inhibit"_s
                                                                          : u"org.freedesktop.ScreenSaver"_s;
    const QString method = grant.backend == Backend::gnomeSession ? u"Uninhibit"_s : u"UnInhibit"_s;
    QDBusMessage message = QDBusMessage::createMethodCall(grant.owner, path, interface, method);
    message << grant.cookie;
    m_sessionBus.send(message);
}

void NativeEnergyAssertionDriver::hold(std::uint32_t id, Grant grant)
{
    Lock &lock = m_locks[id];
    lock.grant = std::move(grant);
    lock.seeking = false;
    lock.uncertain = false;
    ++lock.generation;
    watch(lock.grant);
}

void NativeEnergyAssertionDriver::watch(const Grant &grant)
{
    const bool system = grant.backend == Backend::logind;
    QDBusServiceWatcher &owners = system ? m_systemOwners : m_sessionOwners;
    if (grant.owner.isEmpty() || owners.watchedServices().contains(grant.owner))
        return;
    owners.addWatchedService(grant.owner);
    // The owner may have left before the watch was in place; the bus answers
    // this only after it has set the watch up.
    QDBusMessage question = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                           u"org.freedesktop.DBus"_s, u"NameHasOwner"_s);
    question << grant.owner;
    auto *answer = new QDBusPendingCallWatcher(busFor(grant.backend).asyncCall(question), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this,
            [this, kind = grant.backend, owner = grant.owner](QDBusPendingCallWatcher *finished) {
                finished->deleteLater();
                const QDBusMessage reply = finished->reply();
                if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                    !reply.arguments().constFirst().toBool())
                    ownerLeft(kind, owner);
            });
}

void NativeEnergyAssertionDriver::unwatch(const Grant &grant)
{
    const bool system = grant.backend == Backend::logind;
    const bool stillUsed = std::ranges::any_of(m_locks, [&](const auto &entry) {
        const Lock &lock = entry.second;
        return !lock.seeking && lock.grant.owner == grant.owner && (lock.grant.backend == Backend::logind) == system &&
               &lock.grant != &grant;
    });
    if (!stillUsed)
        (system ? m_systemOwners : m_sessionOwners).removeWatchedService(grant.owner);
}

void NativeEnergyAssertionDriver::ownerLeft(Backend busKind, const QString &name)
{
    const bool system = busKind == Backend::logind;
    (system ? m_systemOwners : m_sessionOwners).removeWatchedService(name);
    std::vector<std::uint32_t> lost;
    for (auto &[id, lock] : m_locks) {
        if (lock.seeking || lock.grant.owner != name || (lock.grant.backend == Backend::logind) != system)
            continue;
        // A release under way counts as done: the lock went with its service.
        if (lock.releasing)
            lock.confirmed = true;
        else
            lost.push_back(id);
    }
    for (const std::uint32_t id : lost) {
        // A lock on its way out is not taken again: its release went
        // unanswered, or its time is up.
        const Lock &lock = m_locks.at(id);
        if (lock.uncertain || lock.expiring)
            forget(id);
        else
            seek(id);
    }
}

QCoro::Task<> NativeEnergyAssertionDriver::seek(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        co_return;
    Lock &lock = it->second;
    // A descriptor lock may outlive its service's restart; it goes once the
    // new one is in place.
    const int oldDescriptor = lock.grant.fd;
    lock.grant = Grant::failed(-ENOENT);
    lock.seeking = true;
    const quint64 generation = ++lock.generation;
    const bool display = lock.display;

    const QPointer<NativeEnergyAssertionDriver> self(this);
    const QDeadlineTimer window(m_retakeWindow);
    int code = -ENOENT;
    for (;;) {
        const Grant grant = co_await takeFirst(display, window);
        if (!self) {
            closeDescriptor(grant.fd);
            closeDescriptor(oldDescriptor);
            co_return;
        }
        const auto now = m_locks.find(id);
        if (now == m_locks.end() || now->second.generation != generation) {
            // Released, or timed out, while it was sought.
            discard(grant);
            closeDescriptor(oldDescriptor);
            co_return;
        }
        if (grant.code == 0) {
            hold(id, grant);
            closeDescriptor(oldDescriptor);
            co_return;
        }
        if (weight(grant.code) > weight(code))
            code = grant.code;
        if (window.hasExpired())
            break;
        Wake pause(this, std::min(retakePause, std::chrono::milliseconds(window.remainingTime())));
        if (co_await pause == Wake::Cause::contextGone) {
            closeDescriptor(oldDescriptor);
            co_return;
        }
        const auto again = m_locks.find(id);
        if (again == m_locks.end() || again->second.generation != generation) {
            closeDescriptor(oldDescriptor);
            co_return;
        }
    }
    closeDescriptor(oldDescriptor);
    forget(id);
    reportLost(EnergyAssertionID{id},
               EnergyFailure(display ? EnergyFailure::Operation::createDisplay : EnergyFailure::Operation::createSystem,
                             code, false));
}

QCoro::Task<> NativeEnergyAssertionDriver::expire(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end() || it->second.releasing)
        co_return;
    if (it->second.seeking) {
        forget(id);
        co_return;
    }
    it->second.expiring = true;
    const QPointer<NativeEnergyAssertionDriver> self(this);
    const int code = co_await releaseHeld(id);
    if (!self)
        co_return;
    if (code == 0) {
        m_gone.insert(id);
        co_return;
    }
    m_locks.at(id).timer->start(expiryRetry);
}

void NativeEnergyAssertionDriver::drop(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        return;
    Lock &lock = it->second;
    if (!lock.seeking)
        unwatch(lock.grant);
    // The timer may be the one delivering the signal that led here.
    if (lock.timer) {
        lock.timer->stop();
        lock.timer.release()->deleteLater();
    }
    m_locks.erase(it);
}

void NativeEnergyAssertionDriver::forget(std::uint32_t id)
{
    if (!m_locks.contains(id))
        return;
    drop(id);
    m_gone.insert(id);
}

} // namespace pelorin
