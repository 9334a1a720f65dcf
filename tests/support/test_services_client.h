#pragma once

#include <QDBusConnection>
#include <QList>
#include <QString>

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

// Talks to the control object of a services process (org.pelorin.Test at
// /control). Failing calls are reported as test failures.
class TestServicesClient {
public:
    explicit TestServicesClient(QDBusConnection bus) : m_bus(std::move(bus)) {}

    QList<TestLock> locks() const;
    // Runs the event loop until exactly `count` locks are held; false when
    // that has not happened within `timeout`. Needed where a lock goes
    // asynchronously (a holder left the bus, a descriptor was closed).
    bool waitForLockCount(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // How the service answers `method` (its D-Bus member name) from now on:
    // "reply" (normally), "deny" (AccessDenied), "fail" (Failed), "hang"
    // (never), "malformed" (a reply of the wrong type).
    void setBehaviour(const QString &service, const QString &method, const QString &behaviour) const;
    // Has org.freedesktop.login1 send PrepareForSleep(start).
    void emitPrepareForSleep(bool start) const;

private:
    QDBusConnection m_bus;
};

} // namespace pelorin::test
