#pragma once

#include "dbus_call.h"
#include "energy_assertion_driver.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDeadlineTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

namespace pelorin {

class BootTimer;

// Takes real desktop locks over D-Bus, each from the first service that
// answers:
//
//   system lock (stops idle suspend, never blocks a suspend the user asks for)
//     1. org.gnome.SessionManager.Inhibit, flag 4 (suspend), session bus
//     2. org.freedesktop.PowerManagement.Inhibit, session bus
//     3. org.freedesktop.login1 Inhibit("idle", ..., "block"), system bus
//   display lock (also keeps the screen on)
//     1. org.gnome.SessionManager.Inhibit, flag 8 (idle), session bus
//     2. org.freedesktop.ScreenSaver.Inhibit, session bus
//     3. org.freedesktop.login1 Inhibit("idle", ..., "block"), system bus
//
// Every lock dies with the process: the session services drop a lock when
// its holder leaves the bus, and logind's lock is a file descriptor that the
// kernel closes. A service that is not there (no owner, no such object,
// method or interface, no bus) makes the driver try the next one. Other
// errors are remembered, and the next one is tried too.
//
// No call blocks: each is sent and awaited on the event loop, for at most
// the call time-out. A service that answers after that, within ten times as
// long, is still heard: a lock it grants then is let go at once, and a
// release it confirms then counts. A lock whose release is still unanswered
// is not released again until the answer comes or the bus gives up, so calls
// to a service that hangs do not pile up. A release whose service has left
// the bus, has restarted, or no longer knows a lock whose earlier release
// went unanswered, succeeds: the lock is gone either way.
//
// The service behind every held lock is watched. When it leaves the bus the
// lock is sought again, under the same ID, from the first service that
// answers in the order above, for up to the retake window; when none grants
// it, the lost handler hears of it and a later release of the ID succeeds.
// When it was taken again from a service further down the order, and its
// own service comes back on the bus within the return window, the lock moves
// back: the new lock is in place before the stand-in's goes. (A desktop's
// power manager may watch only its own locks.)
//
// A lock that goes by itself, as it should (its time-out passed, or a
// release that had gone unanswered is confirmed late), is told to the gone
// handler. A lock that nobody wants any more (granted too late, or a stand-in
// replaced) is let go at once, and again every little while until it is gone.
//
// Codes of the EnergyFailure thrown or reported:
//
//   -ENOENT     no service answered (none present, or no bus at all)
//   -EACCES     a service refused the lock (access denied, authorization)
//   -ETIMEDOUT  a service did not reply within the call time-out
//   -EIO        any other D-Bus error, or a reply of the wrong shape
//   -EINVAL     release of an ID this driver never handed out (or released)
//   -errno      a timed lock whose boot-clock timer could not be made
//
// When every service fails, create() throws createSystem or createDisplay
// with the most telling code: -EACCES before -ETIMEDOUT before -EIO before
// -ENOENT. A release that fails otherwise throws `release` with
// retainsResources set, and the lock stays recorded so that a later release
// can try again.
//
// A lock with a time-out is released by the driver itself once that much
// time has passed on CLOCK_BOOTTIME, so the time asleep counts, and again
// every little while until it is gone (also when a release that was under
// way then fails). Its ID then stays valid for one more release(), which
// succeeds. Destroying the driver lets go of what it still holds, without
// waiting for the answers.
class NativeEnergyAssertionDriver final : public QObject, public EnergyAssertionDriver {
    Q_OBJECT
public:
    // In the order the services are asked in.
    enum class Backend { gnomeSession, powerManagement, screenSaver, logind };

    static constexpr std::chrono::milliseconds defaultCallTimeout{3000};
    // A power manager that its session restarts takes a few seconds.
    static constexpr std::chrono::milliseconds defaultRetakeWindow{10000};
    static constexpr std::chrono::milliseconds defaultReturnWindow{60000};
    // Between two tries to let go of a lock whose time is up, or a stray one.
    static constexpr std::chrono::milliseconds defaultRetryInterval{30000};

    explicit NativeEnergyAssertionDriver(QObject *parent = nullptr);
    NativeEnergyAssertionDriver(QDBusConnection sessionBus, QDBusConnection systemBus, QObject *parent = nullptr);
    ~NativeEnergyAssertionDriver() override;

    QCoro::Task<EnergyAssertionID> create(bool display, std::optional<double> timeout) override;
    QCoro::Task<> release(EnergyAssertionID id) override;

    // The description of a lock in the form power-management code elsewhere
    // knows: "AssertType", "AssertName", "AssertLevel" and, with a time-out,
    // "TimeoutSeconds" and "TimeoutAction".
    static QVariantMap assertionProperties(bool display, std::optional<double> timeout);

    // The description of a held lock; empty when `id` is not held.
    QVariantMap properties(EnergyAssertionID id) const;
    // The service that holds `id`; absent while it is not held (or sought again).
    std::optional<Backend> backend(EnergyAssertionID id) const;

    void setCallTimeout(std::chrono::milliseconds timeout) { m_callTimeout = timeout; }
    void setRetakeWindow(std::chrono::milliseconds window) { m_retakeWindow = window; }
    void setReturnWindow(std::chrono::milliseconds window) { m_returnWindow = window; }
    void setRetryInterval(std::chrono::milliseconds interval) { m_retryInterval = interval; }

private:
    // The outcome of asking one service, or each in turn, for a lock.
    struct Grant {
        int code = 0; // 0 when the lock was granted
        Backend backend = Backend::logind;
        QString owner; // unique bus name of the service that granted it
        std::uint32_t cookie = 0;
        int fd = -1;

        static Grant failed(int code)
        {
            Grant grant;
            grant.code = code;
            return grant;
        }
    };
    // Where a lock stands.
    enum class Stage : std::uint8_t {
        held,       // granted; its service is watched
        seeking,    // its service went away; being taken again
        releasing,  // a release is under way
        released,   // a release under way is known to have gone through
        unanswered, // a release went unanswered: it may have gone through
        expired,    // its time-out passed and letting go failed; tried again later
        stray,      // nobody's (granted too late, or a stand-in replaced): let go, with retries
    };
    struct Lock {
        bool display = false;
        Grant grant;
        QVariantMap properties;
        std::unique_ptr<BootTimer> timer;
        // Its time-out has passed: once a release under way fails, it is
        // let go of as an expired lock.
        bool due = false;
        // While it is sought again: the descriptor of the lock from a
        // service that left, which may still hold; it goes once the lock is
        // in place again, or with the record.
        int oldDescriptor = -1;
        // Counts the grants this lock has had, so an answer about an earlier
        // one is told apart.
        quint64 generation = 0;
        Stage stage = Stage::held;
        // Held from another service since its own service left: that
        // service, awaited back until `homeUntil`.
        std::optional<Backend> home;
        QDeadlineTimer homeUntil;
    };
    using LateAnswer = DBusCall::LateAnswer;
    // A cookie lock as its service knows it: owner, service, cookie.
    using CookieKey = std::tuple<QString, Backend, std::uint32_t>;

    QDBusConnection busFor(Backend backend) const;
    // How long the bus waits for an answer that came too late for us.
    std::chrono::milliseconds busTimeout() const { return m_callTimeout * DBusCall::busPatience; }
    QCoro::Task<Grant> inhibit(Backend backend, bool display, std::chrono::milliseconds limit);
    // Asks each service in turn, each for at most the call time-out and none
    // past `until`.
    QCoro::Task<Grant> takeFirst(bool display, QDeadlineTimer until = QDeadlineTimer(QDeadlineTimer::Forever));
    Grant grantFrom(Backend backend, const QDBusMessage &reply) const;
    // Lets go of a grant; 0 once it is gone, else the failure's code.
    QCoro::Task<int> letGo(Grant grant, bool uncertain, LateAnswer late);
    // Lets go of a recorded lock: 0 once it is gone and its record dropped,
    // else the failure's code, with the record kept for another try.
    QCoro::Task<int> releaseHeld(std::uint32_t id);
    // Lets go of a grant that nobody wants: a descriptor at once, a cookie
    // as a stray lock.
    void discard(const Grant &grant);
    void hold(std::uint32_t id, Grant grant);
    void watch(const Grant &grant);
    // Stops watching an owner that no lock but `except` is held by.
    void unwatch(const Grant &grant, std::uint32_t except);
    void ownerLeft(Backend busKind, const QString &name);
    QCoro::Task<> seek(std::uint32_t id);
    // Waits for the lock's own service to come back, until `until`.
    void awaitHome(std::uint32_t id, Backend home, QDeadlineTimer until);
    void homeAppeared(Backend busKind, const QString &name);
    QCoro::Task<> moveHome(std::uint32_t id);
    // Watches the names of exactly the services that locks await.
    void syncHomeWatches();
    // Lets go of a lock whose time is up, or a stray one; tries again later
    // when that fails.
    QCoro::Task<> expire(std::uint32_t id);
    void retryLater(std::uint32_t id);
    // Drops the record of a lock.
    void drop(std::uint32_t id);
    // Drops the record of a lock that went by itself; its ID stays good for
    // one release.
    void forget(std::uint32_t id);
    // As forget(), for a lock that went as it should: the gone handler hears
    // of it. A stray lock is only dropped.
    void gone(std::uint32_t id);

    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    // The unique names of the services that hold our locks.
    QDBusServiceWatcher m_sessionOwners;
    QDBusServiceWatcher m_systemOwners;
    // The names of the services that locks wait to return to.
    QDBusServiceWatcher m_sessionHomes;
    QDBusServiceWatcher m_systemHomes;
    std::chrono::milliseconds m_callTimeout = defaultCallTimeout;
    std::chrono::milliseconds m_retakeWindow = defaultRetakeWindow;
    std::chrono::milliseconds m_returnWindow = defaultReturnWindow;
    std::chrono::milliseconds m_retryInterval = defaultRetryInterval;
    std::uint32_t m_nextId = 1;
    std::map<std::uint32_t, Lock> m_locks;
    // IDs whose lock went by itself (time-out, lost, a late confirmation);
    // each may still be released once.
    QSet<std::uint32_t> m_gone;
    // Cookies whose release has been sent and not answered yet.
    std::set<CookieKey> m_releasing;
};

} // namespace pelorin
