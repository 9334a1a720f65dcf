#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QList>
#include <QString>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

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

    QList<TestLock> locks() const
    {
        QList<TestLock> result;
        for (const QVariantMap &map : list(QStringLiteral("Locks")))
            result.append(lockFrom(map));
        return result;
    }

    // Every change since the services started, oldest first.
    QList<TestLockEvent> events() const
    {
        QList<TestLockEvent> result;
        for (const QVariantMap &map : list(QStringLiteral("Events")))
            result.append({lockFrom(map), map.value(QStringLiteral("kind")).toString(),
                           map.value(QStringLiteral("at")).toLongLong()});
        return result;
    }

    // Runs the event loop until exactly `count` locks are held (locks go
    // asynchronously when a holder leaves or closes a descriptor); false
    // when that has not happened within `timeout`.
    bool waitForLockCount(int count, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const
    {
        return QTest::qWaitFor([&] { return locks().size() == count; }, static_cast<int>(timeout.count()));
    }

    // How the service answers `method` (its D-Bus member name) from now on:
    // "reply" (normally), "deny" (AccessDenied), "fail" (Failed), "hang"
    // (never), "malformed" (a reply of the wrong type), "late:<ms>" (handled
    // at once, answered that much later), "slow:<ms>" (normally, after
    // blocking the service that long).
    void setBehaviour(const QString &service, const QString &method, const QString &behaviour) const
    {
        call(QStringLiteral("SetBehaviour"), {service, method, behaviour});
    }

    // Has org.freedesktop.login1 send PrepareForSleep(start).
    void emitPrepareForSleep(bool start) const { call(QStringLiteral("EmitPrepareForSleep"), {start}); }

    // Sets a setting of the desktop portal's stand-in (served as
    // org.freedesktop.portal.Desktop), as Read answers from now on; with
    // `announce` the portal also sends SettingChanged. The value keeps its
    // D-Bus type: color-scheme and reduced-motion are uint.
    void setPortalSetting(const QString &group, const QString &key, const QVariant &value, bool announce) const
    {
        call(QStringLiteral("SetPortalSetting"), {group, key, QVariant::fromValue(QDBusVariant(value)), announce});
    }

private:
    QDBusMessage call(const QString &method, const QVariantList &arguments = {}) const
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(QStringLiteral("org.pelorin.Test"), QStringLiteral("/control"),
                                           QStringLiteral("org.pelorin.Test.Control"), method);
        message.setArguments(arguments);
        const QDBusMessage reply = m_bus.call(message, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage)
            ADD_FAILURE() << "test services: " << method.toStdString()
                          << " failed: " << reply.errorMessage().toStdString();
        return reply;
    }

    QList<QVariantMap> list(const QString &method) const
    {
        static const QMetaType registered = qDBusRegisterMetaType<QList<QVariantMap>>();
        Q_UNUSED(registered);
        const QDBusMessage reply = call(method);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return qdbus_cast<QList<QVariantMap>>(reply.arguments().constFirst());
    }

    static TestLock lockFrom(const QVariantMap &map)
    {
        const auto text = [&](const char *key) { return map.value(QString::fromLatin1(key)).toString(); };
        return {
            text("service"), text("holder"), text("who"), text("reason"), map.value(QStringLiteral("flags")).toUInt(),
            text("what"),    text("mode")};
    }

    QDBusConnection m_bus;
};

} // namespace pelorin::test
