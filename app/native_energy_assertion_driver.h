#pragma once

#include "energy_assertion_driver.h"

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

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
// Codes of the EnergyFailure thrown:
//
//   -ENOENT     no service answered (none present, or no bus at all)
//   -EACCES     a service refused the lock (access denied, authorization)
//   -ETIMEDOUT  a service did not reply within the call time-out
//   -EIO        any other D-Bus error, or a reply of the wrong shape
//   -EINVAL     release of an ID this driver never handed out (or released)
//
// When every service fails, create() throws createSystem or createDisplay
// with the most telling code: -EACCES before -ETIMEDOUT before -EIO before
// -ENOENT. A release whose service has left the bus succeeds (the lock went
// with it); a release that fails otherwise throws `release` with
// retainsResources set, and the lock stays recorded so that a later release
// can try again.
//
// A lock with a time-out is released by the driver itself once that much
// time has passed on CLOCK_BOOTTIME, so the time asleep counts. Its ID then
// stays valid for one more release(), which succeeds. The destructor
// releases whatever is still held.
//
// Every call blocks the calling (main) thread for at most the call time-out.
class NativeEnergyAssertionDriver final : public QObject, public EnergyAssertionDriver {
    Q_OBJECT
public:
    enum class Backend { gnomeSession, powerManagement, screenSaver, logind };

    static constexpr std::chrono::milliseconds defaultCallTimeout{3000};

    explicit NativeEnergyAssertionDriver(QObject *parent = nullptr);
    NativeEnergyAssertionDriver(QDBusConnection sessionBus, QDBusConnection systemBus, QObject *parent = nullptr);
    ~NativeEnergyAssertionDriver() override;

    EnergyAssertionID create(bool display, std::optional<double> timeout) override;
    void release(EnergyAssertionID id) override;

    // The description of a lock in the form power-management code elsewhere
    // knows: "AssertType", "AssertName", "AssertLevel" and, with a time-out,
    // "TimeoutSeconds" and "TimeoutAction".
    static QVariantMap assertionProperties(bool display, std::optional<double> timeout);

    // The description of a held lock; empty when `id` is not held.
    QVariantMap properties(EnergyAssertionID id) const;
    // The service that holds `id`, if it is held.
    std::optional<Backend> backend(EnergyAssertionID id) const;
    int heldCount() const { return static_cast<int>(m_locks.size()); }

    void setCallTimeout(std::chrono::milliseconds timeout) { m_callTimeout = timeout; }

private:
    struct Lock {
        Backend backend = Backend::logind;
        QString owner; // unique bus name of the service that granted the cookie
        std::uint32_t cookie = 0;
        int fd = -1;
        QVariantMap properties;
        std::unique_ptr<BootTimer> timer;
    };
    struct Attempt; // the outcome of one Inhibit call

    Attempt inhibit(Backend backend, bool display) const;
    // Returns 0 when the lock is gone, else the code of the failure.
    int releaseLock(Lock &lock) const;
    void expire(std::uint32_t id);

    QDBusConnection m_sessionBus;
    QDBusConnection m_systemBus;
    std::chrono::milliseconds m_callTimeout = defaultCallTimeout;
    std::uint32_t m_nextId = 1;
    std::map<std::uint32_t, Lock> m_locks;
    // IDs whose time-out released them; each may still be released once.
    QSet<std::uint32_t> m_expired;
};

} // namespace pelorin
