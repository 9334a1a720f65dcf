#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QVariant>

#include <chrono>

namespace pelorin::test {

// One lock as a stand-in service holds it.
struct TestLock {
    QString service; // well-known name of the service that granted it
    QString holder;  // unique bus name of the client that took it
    QString who;     // app id, application or who
    QString reason;
    uint flags = 0; // org.gnome.SessionManager only
    QString what;   // org.freedesktop.login1 only
    QString mode;   // org.freedesktop.login1 only
};

// One change to a stand-in's locks, in the order that services process saw
// them. `at` (CLOCK_MONOTONIC, nanoseconds) orders events of the session and
// the system bus's services against each other.
struct TestLockEvent {
    quint64 sequence = 0;
    qint64 at = 0;
    QString kind; // "taken", "released" (by its holder), "dropped" (the holder left the bus)
    QString service;
    QString holder;
    uint cookie = 0;
    uint flags = 0;
    QString what;
    QString mode;
};

// Talks to the control object of a services process (org.pelorin.Test at
// /control). Failing calls are reported as test failures.
class TestServicesClient {
public:
    explicit TestServicesClient(QDBusConnection bus) : m_bus(std::move(bus)) {}

    QList<TestLock> locks() const;
    // Every lock taken, released or dropped since the services started.
    QList<TestLockEvent> events() const;
    // Runs the event loop until exactly `count` locks are held; false when
    // that has not happened within `timeout`. Needed where a lock goes
    // asynchronously (a holder left the bus, a descriptor was closed).
    bool waitForLockCount(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // How the service answers `method` (its D-Bus member name) from now on:
    // "reply" (normally), "deny" (AccessDenied), "fail" (Failed), "hang"
    // (never), "malformed" (a reply of the wrong type), "late:<ms>" (handled
    // at once, answered that much later), "slow:<ms>" (normally,
    // after blocking the service that long).
    void setBehaviour(const QString &service, const QString &method, const QString &behaviour) const;
    // Has org.freedesktop.login1 send PrepareForSleep(start).
    void emitPrepareForSleep(bool start) const;
    // Sets a setting of the desktop portal's stand-in (started with
    // org.freedesktop.portal.Desktop), as it answers Read and ReadAll from
    // now on; with `announce` the portal also sends SettingChanged for it.
    // The value keeps its D-Bus type: color-scheme and reduced-motion are
    // uint, enable-animations is bool.
    void setPortalSetting(const QString &group, const QString &key, const QVariant &value, bool announce) const;

private:
    QDBusConnection m_bus;
};

} // namespace pelorin::test
