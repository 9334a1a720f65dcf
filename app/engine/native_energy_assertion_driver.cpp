#include "native_energy_assertion_driver.h"

#include "boot_clock.h"
#include "wake.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusUnixFileDescriptor>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin {

namespace {

using Backend = NativeEnergyAssertionDriver::Backend;

// How the locks introduce themselves to the desktop.
const QString applicationName = u"Pelorin"_s;
const QString lockName = u"Pelorin session"_s;

// What each lock service is on the bus: its name, the object and interface
// that grant locks, and the methods that take one and let it go. logind's
// lock is a descriptor, let go by closing it.
struct ServiceFacts {
    Backend backend;
    bool systemBus;
    QLatin1StringView name;
    QLatin1StringView path;
    QLatin1StringView interface;
    QLatin1StringView inhibit;
    QLatin1StringView release;
};

// In the order of Backend, which is the order the services are asked in.
constexpr std::array<ServiceFacts, 4> services{{
    {Backend::gnomeSession, false, "org.gnome.SessionManager"_L1, "/org/gnome/SessionManager"_L1,
     "org.gnome.SessionManager"_L1, "Inhibit"_L1, "Uninhibit"_L1},
    {Backend::powerManagement, false, "org.freedesktop.PowerManagement"_L1,
     "/org/freedesktop/PowerManagement/Inhibit"_L1, "org.freedesktop.PowerManagement.Inhibit"_L1, "Inhibit"_L1,
     "UnInhibit"_L1},
    {Backend::screenSaver, false, "org.freedesktop.ScreenSaver"_L1, "/org/freedesktop/ScreenSaver"_L1,
     "org.freedesktop.ScreenSaver"_L1, "Inhibit"_L1, "UnInhibit"_L1},
    {Backend::logind,
     true,
     "org.freedesktop.login1"_L1,
     "/org/freedesktop/login1"_L1,
     "org.freedesktop.login1.Manager"_L1,
     "Inhibit"_L1,
     {}},
}};
static_assert(std::ranges::all_of(services,
                                  [](const ServiceFacts &facts) {
                                      return &facts == &services[static_cast<std::size_t>(facts.backend)];
                                  }),
              "the services are listed in the order of Backend");

const ServiceFacts &factsOf(Backend backend)
{
    return services[static_cast<std::size_t>(backend)];
}

// A time-out beyond this is as good as none; capping it keeps the timer's
// arithmetic in range.
constexpr double longestTimeout = 100.0 * 365 * 24 * 3600;
// Between two rounds of seeking a lost lock again, or of asking a returning
// service that is not ready yet.
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
    // The bus's own time-out comes to no caller (DBusCall), so NoReply
    // means that the service left the bus without answering.
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

std::chrono::milliseconds remainingOf(const QDeadlineTimer &until)
{
    return std::chrono::milliseconds(std::max<qint64>(until.remainingTime(), 0));
}

// Asks the bus whether `name` has an owner; `then` hears a clear answer.
void askHasOwner(const QDBusConnection &bus, const QString &name, QObject *context, std::function<void(bool)> then)
{
    QDBusMessage question = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                           u"org.freedesktop.DBus"_s, u"NameHasOwner"_s);
    question << name;
    auto *answer = new QDBusPendingCallWatcher(bus.asyncCall(question), context);
    QObject::connect(answer, &QDBusPendingCallWatcher::finished, context,
                     [then = std::move(then)](QDBusPendingCallWatcher *finished) {
                         finished->deleteLater();
                         const QDBusMessage reply = finished->reply();
                         if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
                             then(reply.arguments().constFirst().toBool());
                     });
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
    for (auto [owners, homes, bus, kind] :
         {std::tuple{&m_sessionOwners, &m_sessionHomes, m_sessionBus, Backend::gnomeSession},
          std::tuple{&m_systemOwners, &m_systemHomes, m_systemBus, Backend::logind}}) {
        owners->setConnection(bus);
        owners->setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
        connect(owners, &QDBusServiceWatcher::serviceUnregistered, this,
                [this, kind](const QString &name) { ownerLeft(kind, name); });
        homes->setConnection(bus);
        homes->setWatchMode(QDBusServiceWatcher::WatchForRegistration);
        connect(homes, &QDBusServiceWatcher::serviceRegistered, this,
                [this, kind](const QString &name) { homeAppeared(kind, name); });
    }
}

NativeEnergyAssertionDriver::~NativeEnergyAssertionDriver()
{
    // What is still held goes now, without waiting for answers: a descriptor
    // is closed, a cookie handed back. (When the process ends, the services
    // drop our locks anyway as we leave the bus.)
    for (const auto &[id, lock] : m_locks) {
        closeDescriptor(lock.oldDescriptor);
        if (lock.stage == Stage::seeking || lock.stage == Stage::released || lock.grant.code != 0)
            continue;
        if (lock.grant.backend == Backend::logind) {
            closeDescriptor(lock.grant.fd);
        } else if (m_sessionBus.isConnected()) {
            const ServiceFacts &facts = factsOf(lock.grant.backend);
            QDBusMessage message =
                QDBusMessage::createMethodCall(lock.grant.owner, facts.path, facts.interface, facts.release);
            message << lock.grant.cookie;
            m_sessionBus.send(message);
        }
    }
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
            drop(id);
            discard(grant);
            throw EnergyFailure(operation, code, false);
        }
    }
    co_return EnergyAssertionID{id};
}

QCoro::Task<> NativeEnergyAssertionDriver::release(EnergyAssertionID id)
{
    const std::uint32_t key = id.rawValue;
    const auto it = m_locks.find(key);
    if (it == m_locks.end() || it->second.stage == Stage::stray) {
        if (m_gone.remove(key))
            co_return;
        throw EnergyFailure(EnergyFailure::Operation::release, -EINVAL, true);
    }
    // Nothing is held while the lock is sought again; the search ends here.
    if (it->second.stage == Stage::seeking) {
        drop(key);
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
    // (A release may start while another is under way: a time-out's and
    // the owner's. Whichever fails leaves the lock held.)
    const Stage before = lock.stage == Stage::releasing || lock.stage == Stage::released ? Stage::held : lock.stage;
    // A stray lock's cookie that the service no longer knows is gone as well.
    const bool uncertain = before == Stage::unanswered || before == Stage::stray;
    lock.stage = Stage::releasing;
    // The answer to a release given up on: if it went through, the lock is
    // gone; if the service said no, it is still held.
    // (Named, not built inside the co_await: GCC 12 destroys such temporaries twice.)
    LateAnswer confirmation = [self, id, generation](const QDBusMessage &late) {
        if (!self)
            return;
        const auto held = self->m_locks.find(id);
        if (held == self->m_locks.end() || held->second.generation != generation)
            return;
        Lock &now = held->second;
        if (late.type() == QDBusMessage::ReplyMessage ||
            (late.type() == QDBusMessage::ErrorMessage && isGone(late.errorName()))) {
            if (now.stage == Stage::releasing)
                now.stage = Stage::released;
            else
                self->gone(id);
        } else if (late.type() == QDBusMessage::ErrorMessage && now.stage == Stage::unanswered) {
            now.stage = Stage::held;
        }
    };
    const int code = co_await letGo(grant, uncertain, std::move(confirmation));
    if (!self)
        co_return 0;
    const auto now = m_locks.find(id);
    if (now == m_locks.end())
        co_return 0;
    Lock &after = now->second;
    if (code == 0 || after.stage == Stage::released || after.generation != generation) {
        drop(id);
        co_return 0;
    }
    // A stray lock is let go of in any case: it keeps its stage.
    after.stage = code == -ETIMEDOUT && before != Stage::stray ? Stage::unanswered : before;
    // Its time-out passed while the release was under way: it is let go of
    // later, as an expired lock.
    if (after.due && after.stage == Stage::held)
        after.stage = Stage::expired;
    if (after.due || after.stage == Stage::stray)
        retryLater(id);
    co_return code;
}

QVariantMap NativeEnergyAssertionDriver::properties(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    return it == m_locks.end() || it->second.stage == Stage::stray ? QVariantMap() : it->second.properties;
}

std::optional<NativeEnergyAssertionDriver::Backend> NativeEnergyAssertionDriver::backend(EnergyAssertionID id) const
{
    const auto it = m_locks.find(id.rawValue);
    if (it == m_locks.end() || it->second.stage == Stage::seeking || it->second.stage == Stage::stray)
        return std::nullopt;
    return it->second.grant.backend;
}

QDBusConnection NativeEnergyAssertionDriver::busFor(Backend backend) const
{
    return factsOf(backend).systemBus ? m_systemBus : m_sessionBus;
}

QCoro::Task<NativeEnergyAssertionDriver::Grant> NativeEnergyAssertionDriver::inhibit(Backend backend, bool display,
                                                                                     std::chrono::milliseconds limit)
{
    const QDBusConnection bus = busFor(backend);
    if (!bus.isConnected())
        co_return Grant::failed(-ENOENT);
    const ServiceFacts &facts = factsOf(backend);
    QDBusMessage message = QDBusMessage::createMethodCall(facts.name, facts.path, facts.interface, facts.inhibit);
    switch (backend) {
    case Backend::gnomeSession:
        // Flag 4 stops suspend, flag 8 keeps the session from going idle
        // (and so the screen on); no toplevel window.
        message << QStringLiteral(PELORIN_APP_ID) << 0u << lockName << (display ? 8u : 4u);
        break;
    case Backend::powerManagement:
    case Backend::screenSaver:
        message << applicationName << lockName;
        break;
    case Backend::logind:
        // The lock is a file descriptor, which only a connection that can
        // pass them receives.
        if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing))
            co_return Grant::failed(-ENOENT);
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
    const std::optional<QDBusMessage> answer =
        co_await DBusCall::call(bus, message, this, limit, std::move(late), busTimeout());
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
        const auto limit = until.isForever()
                               ? m_callTimeout
                               : std::clamp(remainingOf(until), std::chrono::milliseconds(1), m_callTimeout);
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
    // A release still unanswered is not sent again: its answer is the one to
    // wait for.
    const CookieKey key{grant.owner, grant.backend, grant.cookie};
    if (!m_releasing.insert(key).second)
        co_return -ETIMEDOUT;
    const ServiceFacts &facts = factsOf(grant.backend);
    QDBusMessage message = QDBusMessage::createMethodCall(grant.owner, facts.path, facts.interface, facts.release);
    message << grant.cookie;
    const QPointer<NativeEnergyAssertionDriver> self(this);
    LateAnswer settled = [self, key, late = std::move(late)](const QDBusMessage &answer) {
        if (self)
            self->m_releasing.erase(key);
        if (late)
            late(answer);
    };
    const std::optional<QDBusMessage> answer =
        co_await DBusCall::call(m_sessionBus, message, this, m_callTimeout, std::move(settled), busTimeout());
    if (!self || !answer)
        co_return -ETIMEDOUT;
    m_releasing.erase(key);
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
    const std::uint32_t id = m_nextId++;
    Lock &lock = m_locks[id];
    lock.grant = grant;
    lock.stage = Stage::stray;
    watch(grant);
    expire(id);
}

void NativeEnergyAssertionDriver::hold(std::uint32_t id, Grant grant)
{
    Lock &lock = m_locks[id];
    lock.grant = std::move(grant);
    lock.stage = Stage::held;
    ++lock.generation;
    watch(lock.grant);
}

void NativeEnergyAssertionDriver::watch(const Grant &grant)
{
    QDBusServiceWatcher &owners = factsOf(grant.backend).systemBus ? m_systemOwners : m_sessionOwners;
    if (grant.owner.isEmpty() || owners.watchedServices().contains(grant.owner))
        return;
    owners.addWatchedService(grant.owner);
    // The owner may have left before the watch was in place; the bus answers
    // this only after it has set the watch up.
    askHasOwner(busFor(grant.backend), grant.owner, this,
                [this, kind = grant.backend, owner = grant.owner](bool owned) {
                    if (!owned)
                        ownerLeft(kind, owner);
                });
}

void NativeEnergyAssertionDriver::unwatch(const Grant &grant, std::uint32_t except)
{
    const bool system = factsOf(grant.backend).systemBus;
    const bool stillUsed = std::ranges::any_of(m_locks, [&](const auto &entry) {
        const auto &[id, lock] = entry;
        return id != except && lock.stage != Stage::seeking && lock.grant.owner == grant.owner &&
               factsOf(lock.grant.backend).systemBus == system;
    });
    if (!stillUsed)
        (system ? m_systemOwners : m_sessionOwners).removeWatchedService(grant.owner);
}

void NativeEnergyAssertionDriver::ownerLeft(Backend busKind, const QString &name)
{
    const bool system = factsOf(busKind).systemBus;
    (system ? m_systemOwners : m_sessionOwners).removeWatchedService(name);
    std::vector<std::uint32_t> affected;
    for (const auto &[id, lock] : m_locks) {
        if (lock.stage != Stage::seeking && lock.grant.owner == name && factsOf(lock.grant.backend).systemBus == system)
            affected.push_back(id);
    }
    for (const std::uint32_t id : affected) {
        const auto it = m_locks.find(id);
        if (it == m_locks.end())
            continue;
        switch (it->second.stage) {
        case Stage::held:
            seek(id);
            break;
        case Stage::releasing:
            // A release under way counts as done: the lock went with its
            // service.
            it->second.stage = Stage::released;
            break;
        case Stage::unanswered:
        case Stage::expired:
        case Stage::stray:
            // On its way out: its release went unanswered, its time is up,
            // or nobody wants it. It is not taken again.
            gone(id);
            break;
        case Stage::seeking:
        case Stage::released:
            break;
        }
    }
}

QCoro::Task<> NativeEnergyAssertionDriver::seek(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        co_return;
    Lock &lock = it->second;
    // A descriptor lock may outlive its service's restart; it goes once the
    // new one is in place (or with the record).
    closeDescriptor(std::exchange(lock.oldDescriptor, lock.grant.fd));
    // The service to return to, and for how long: the one that held the lock
    // before it was first lost.
    const Backend home = lock.home.value_or(lock.grant.backend);
    const QDeadlineTimer homeUntil = lock.home ? lock.homeUntil : QDeadlineTimer(m_returnWindow);
    lock.grant = Grant::failed(-ENOENT);
    lock.stage = Stage::seeking;
    lock.home.reset();
    const quint64 generation = ++lock.generation;
    const bool display = lock.display;
    syncHomeWatches();

    const QPointer<NativeEnergyAssertionDriver> self(this);
    const QDeadlineTimer window(m_retakeWindow);
    int code = -ENOENT;
    for (;;) {
        const Grant grant = co_await takeFirst(display, window);
        if (!self) {
            closeDescriptor(grant.fd);
            co_return;
        }
        const auto now = m_locks.find(id);
        if (now == m_locks.end() || now->second.generation != generation) {
            // Released, or timed out, while it was sought.
            discard(grant);
            co_return;
        }
        if (grant.code == 0) {
            hold(id, grant);
            closeDescriptor(std::exchange(now->second.oldDescriptor, -1));
            // Taken from a service further down the order: its own one is
            // awaited back. (The services are declared in their order.)
            if (home < grant.backend && !homeUntil.hasExpired())
                awaitHome(id, home, homeUntil);
            co_return;
        }
        if (weight(grant.code) > weight(code))
            code = grant.code;
        if (window.hasExpired())
            break;
        Wake pause(this, std::min(retakePause, remainingOf(window)));
        if (co_await pause == Wake::Cause::contextGone)
            co_return;
        const auto again = m_locks.find(id);
        if (again == m_locks.end() || again->second.generation != generation)
            co_return;
    }
    forget(id);
    reportLost(EnergyAssertionID{id},
               EnergyFailure(display ? EnergyFailure::Operation::createDisplay : EnergyFailure::Operation::createSystem,
                             code, false));
}

void NativeEnergyAssertionDriver::awaitHome(std::uint32_t id, Backend home, QDeadlineTimer until)
{
    Lock &lock = m_locks.at(id);
    lock.home = home;
    lock.homeUntil = until;
    syncHomeWatches();
    // The window ends.
    QTimer::singleShot(remainingOf(until), this, [this, id, generation = lock.generation] {
        const auto it = m_locks.find(id);
        if (it != m_locks.end() && it->second.generation == generation && it->second.home) {
            it->second.home.reset();
            syncHomeWatches();
        }
    });
    // It may be back already: it came while the lock was sought, or it
    // answered too slowly then.
    const QString name = factsOf(home).name;
    askHasOwner(busFor(home), name, this, [this, home, name](bool owned) {
        if (owned)
            homeAppeared(home, name);
    });
}

void NativeEnergyAssertionDriver::homeAppeared(Backend busKind, const QString &name)
{
    const bool system = factsOf(busKind).systemBus;
    std::vector<std::uint32_t> returning;
    for (const auto &[id, lock] : m_locks) {
        if (lock.stage == Stage::held && lock.home && factsOf(*lock.home).systemBus == system &&
            factsOf(*lock.home).name == name)
            returning.push_back(id);
    }
    for (const std::uint32_t id : returning)
        moveHome(id);
}

QCoro::Task<> NativeEnergyAssertionDriver::moveHome(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end() || it->second.stage != Stage::held || !it->second.home)
        co_return;
    const Backend home = *it->second.home;
    const QDeadlineTimer until = it->second.homeUntil;
    const quint64 generation = it->second.generation;
    const bool display = it->second.display;
    // One move at a time.
    it->second.home.reset();
    syncHomeWatches();

    const QPointer<NativeEnergyAssertionDriver> self(this);
    for (;;) {
        // The stand-in holds meanwhile: no hurry. A service that is slow to
        // answer is waited for as long as the bus waits, rather than asked
        // again and again.
        const auto limit = std::clamp(remainingOf(until), m_callTimeout, busTimeout());
        const Grant grant = co_await inhibit(home, display, limit);
        if (!self) {
            closeDescriptor(grant.fd);
            co_return;
        }
        const auto now = m_locks.find(id);
        if (now == m_locks.end() || now->second.generation != generation || now->second.stage != Stage::held) {
            // Released, lost again or expired meanwhile.
            discard(grant);
            co_return;
        }
        if (grant.code == 0) {
            // The new lock first, then the stand-in's goes.
            const Grant standIn = now->second.grant;
            hold(id, grant);
            discard(standIn);
            unwatch(standIn, 0);
            co_return;
        }
        // A service that is on the bus but not ready yet is asked again; one
        // that refuses keeps the lock where it is.
        if ((grant.code != -ENOENT && grant.code != -ETIMEDOUT) || until.hasExpired())
            co_return;
        Wake pause(this, std::min(retakePause, remainingOf(until)));
        if (co_await pause == Wake::Cause::contextGone)
            co_return;
        const auto again = m_locks.find(id);
        if (again == m_locks.end() || again->second.generation != generation || again->second.stage != Stage::held)
            co_return;
    }
}

void NativeEnergyAssertionDriver::syncHomeWatches()
{
    for (const bool system : {false, true}) {
        QDBusServiceWatcher &homes = system ? m_systemHomes : m_sessionHomes;
        QStringList wanted;
        for (const auto &[id, lock] : m_locks) {
            if (lock.home && factsOf(*lock.home).systemBus == system && !wanted.contains(factsOf(*lock.home).name))
                wanted.append(factsOf(*lock.home).name);
        }
        const QStringList watched = homes.watchedServices();
        for (const QString &name : watched) {
            if (!wanted.contains(name))
                homes.removeWatchedService(name);
        }
        for (const QString &name : std::as_const(wanted)) {
            if (!watched.contains(name))
                homes.addWatchedService(name);
        }
    }
}

QCoro::Task<> NativeEnergyAssertionDriver::expire(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        co_return;
    Lock &lock = it->second;
    if (lock.stage != Stage::stray)
        lock.due = true;
    switch (lock.stage) {
    case Stage::releasing:
    case Stage::released:
        // Should the release under way fail, it is let go of then.
        co_return;
    case Stage::seeking:
        // Nothing is held while it is sought: its time is up, and that ends it.
        gone(id);
        co_return;
    case Stage::held:
        lock.stage = Stage::expired;
        break;
    case Stage::unanswered:
    case Stage::expired:
    case Stage::stray:
        break;
    }
    const bool stray = lock.stage == Stage::stray;
    const QPointer<NativeEnergyAssertionDriver> self(this);
    // (When it fails, releaseHeld() has it tried again later.)
    const int code = co_await releaseHeld(id);
    if (!self || code != 0)
        co_return;
    if (!stray) {
        m_gone.insert(id);
        reportGone(EnergyAssertionID{id});
    }
}

void NativeEnergyAssertionDriver::retryLater(std::uint32_t id)
{
    Lock &lock = m_locks.at(id);
    if (!lock.timer) {
        lock.timer = std::make_unique<BootTimer>();
        connect(lock.timer.get(), &BootTimer::timeout, this, [this, id] { expire(id); });
    }
    // Without a timer a stray lock stays until the process ends.
    lock.timer->start(Duration::milliseconds(m_retryInterval.count()));
}

void NativeEnergyAssertionDriver::drop(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        return;
    Lock &lock = it->second;
    if (lock.stage != Stage::seeking)
        unwatch(lock.grant, id);
    closeDescriptor(lock.oldDescriptor);
    // The timer may be the one delivering the signal that led here.
    if (lock.timer) {
        lock.timer->stop();
        lock.timer.release()->deleteLater();
    }
    const bool awaited = lock.home.has_value();
    m_locks.erase(it);
    if (awaited)
        syncHomeWatches();
}

void NativeEnergyAssertionDriver::forget(std::uint32_t id)
{
    if (!m_locks.contains(id))
        return;
    drop(id);
    m_gone.insert(id);
}

void NativeEnergyAssertionDriver::gone(std::uint32_t id)
{
    const auto it = m_locks.find(id);
    if (it == m_locks.end())
        return;
    if (it->second.stage == Stage::stray) {
        drop(id);
        return;
    }
    forget(id);
    reportGone(EnergyAssertionID{id});
}

} // namespace pelorin
