#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
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

// One change to a stand-in's locks: the lock, what happened to it ("taken",
// "released" by its holder, "dropped" as the holder left the bus) and when,
// on a clock shared by the session and the system bus's services.
struct TestLockEvent {
    TestLock lock;
    QString kind;
    qint64 at = 0;
};

// Talks to the control object of a services process (org.pelorin.Test at
// /control, see services/test_services.cpp). Failing calls are reported as
// test failures.
class TestServicesClient {
public:
    explicit TestServicesClient(QDBusConnection bus) : m_bus(std::move(bus)) {}

    QList<TestLock> locks() const;
    // Every change since the services started, oldest first.
    QList<TestLockEvent> events() const;
    // Runs the event loop until exactly `count` locks are held (locks go
    // asynchronously when a holder leaves or closes a descriptor); false
    // when that has not happened within `timeout`.
    bool waitForLockCount(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const;

    // How the service answers `method` (its D-Bus member name) from now on:
    // "reply" (normally), "deny" (AccessDenied), "fail" (Failed), "hang"
    // (never), "malformed" (a reply of the wrong type), "late:<ms>" (handled
    // at once, answered that much later), "slow:<ms>" (normally, after
    // blocking the service that long).
    void setBehaviour(const QString &service, const QString &method, const QString &behaviour) const;
    // Has org.freedesktop.login1 send PrepareForSleep(start).
    void emitPrepareForSleep(bool start) const;
    // Sets a setting of the desktop portal's stand-in (served as
    // org.freedesktop.portal.Desktop), as Read answers from now on; with
    // `announce` the portal also sends SettingChanged. The value keeps its
    // D-Bus type: color-scheme and reduced-motion are uint.
    void setPortalSetting(const QString &group, const QString &key, const QVariant &value, bool announce) const;

private:
    QList<QVariantMap> list(const QString &method) const;
    QDBusMessage call(const QString &method, const QVariantList &arguments = {}) const;

    QDBusConnection m_bus;
};

} // namespace pelorin::test
