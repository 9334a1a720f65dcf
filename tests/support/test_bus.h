#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <csignal>
#include <memory>
#include <sys/prctl.h>
#include <vector>

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

// One change to a stand-in's locks: the lock, what happened to it ("taken"
// as the grant went out, "released" by its holder, "dropped" as the holder
// left the bus) and when, on a clock shared by the session and the system
// bus's services.
struct TestLockEvent {
    TestLock lock;
    QString kind;
    qint64 at = 0;
};

// Whether each of some locks that went had a new one in its place before.
// The locks look alike, so this holds when the k-th lock taken came before
// the k-th lock that went.
inline bool eachReplacedBeforeItWent(std::vector<qint64> taken, std::vector<qint64> went)
{
    std::ranges::sort(taken);
    std::ranges::sort(went);
    return std::ranges::equal(taken, went, [](qint64 newOne, qint64 oldOne) { return newOne < oldOne; });
}

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

    // Takes a stand-in's name off the bus or puts it back, as a restarting
    // service does. A tray watcher that comes back knows no items.
    void setOwned(const QString &name, bool owned) const { call(QStringLiteral("SetOwned"), {name, owned}); }

    // Has a host register with the tray watcher, or leave it (a watcher
    // starts with one).
    void setTrayHost(bool registered) const { call(QStringLiteral("SetTrayHost"), {registered}); }

    // The bus names of the items registered with the tray watcher.
    QStringList trayItems() const
    {
        QStringList items;
        for (const QVariantMap &map : list(QStringLiteral("Items")))
            items.append(map.value(QStringLiteral("item")).toString());
        return items;
    }

    // Sets a setting of the desktop portal's stand-in (served as
    // org.freedesktop.portal.Desktop), as Read answers from now on; with
    // `announce` the portal also sends SettingChanged. The value keeps its
    // D-Bus type: color-scheme and reduced-motion are uint.
    void setPortalSetting(const QString &group, const QString &key, const QVariant &value, bool announce) const
    {
        call(QStringLiteral("SetPortalSetting"), {group, key, QVariant::fromValue(QDBusVariant(value)), announce});
    }

    // Has org.freedesktop.timedate1 announce that the system's time zone is
    // now `zone` (its Timezone property changed).
    void setTimezone(const QString &zone) const { call(QStringLiteral("SetTimezone"), {zone}); }

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

// A child process that gets `deathSignal` when the test process ends, even
// when it crashes, so nothing a test starts outlives it.
inline std::unique_ptr<QProcess> childProcess(int deathSignal = SIGKILL)
{
    auto process = std::make_unique<QProcess>();
    process->setChildProcessModifier([deathSignal] { ::prctl(PR_SET_PDEATHSIG, deathSignal); });
    return process;
}

// The first line the process prints, or an empty string when it prints none
// before it ends or `timeoutMs` passes.
inline QByteArray firstLine(QProcess &process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine()) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            return {};
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return process.readLine().trimmed();
}

// Kills the process, waits for it and drops it.
inline void stopChild(std::unique_ptr<QProcess> &process)
{
    if (process) {
        process->kill();
        process->waitForFinished();
        process.reset();
    }
}

// Two private dbus-daemons, one standing in for the session bus and one for
// the system bus, with a client connection to each and, on demand, the
// stand-in services (services/test_services.cpp) on either. Everything
// started here is killed when the TestBus goes, or when the test process
// dies. Nothing touches the machine's own buses.
class TestBus {
public:
    enum class Kind { session, system };

    TestBus()
    {
        if (!m_dir.isValid())
            ADD_FAILURE() << "no temporary folder for the test buses";
        else
            startDaemon(Kind::session) && startDaemon(Kind::system);
    }

    ~TestBus()
    {
        for (Bus &b : m_buses) {
            if (!b.connectionName.isEmpty())
                QDBusConnection::disconnectFromBus(b.connectionName);
            stopChild(b.services);
            stopChild(b.daemon);
        }
    }

    TestBus(const TestBus &) = delete;
    TestBus &operator=(const TestBus &) = delete;

    // Both daemons run and both client connections are up.
    bool isValid() const
    {
        return std::ranges::all_of(m_buses, [](const Bus &b) {
            return !b.connectionName.isEmpty() && QDBusConnection(b.connectionName).isConnected();
        });
    }

    QString address(Kind kind) const { return m_buses[index(kind)].address; }
    // This process's connection to that bus.
    QDBusConnection connection(Kind kind) const { return QDBusConnection(m_buses[index(kind)].connectionName); }
    TestServicesClient services(Kind kind) const { return TestServicesClient(connection(kind)); }

    // Starts a services process on that bus owning `names` (any of
    // org.gnome.SessionManager, org.freedesktop.PowerManagement,
    // org.freedesktop.ScreenSaver, org.freedesktop.login1,
    // org.freedesktop.portal.Desktop, org.freedesktop.timedate1,
    // org.kde.StatusNotifierWatcher) and returns once they are on the bus.
    // A process already running there is killed first.
    bool startServices(Kind kind, const QStringList &names)
    {
        stopServices(kind);
        Bus &b = m_buses[index(kind)];
        b.services = childProcess();
        b.services->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        b.services->start(QStringLiteral(PELORIN_TEST_SERVICES), QStringList{b.address} + names);
        if (firstLine(*b.services, timeoutMs) == "ready")
            return true;
        ADD_FAILURE() << "the test services did not start: " << names.join(u' ').toStdString();
        stopChild(b.services);
        return false;
    }

    // Kills that bus's services process with SIGKILL, as a crash would, and
    // waits until its names have left the bus.
    void stopServices(Kind kind)
    {
        Bus &b = m_buses[index(kind)];
        if (!b.services)
            return;
        stopChild(b.services);
        const QDeadlineTimer deadline(timeoutMs);
        while (connection(kind).interface()->isServiceRegistered(QStringLiteral("org.pelorin.Test")).value() &&
               !deadline.hasExpired())
            QThread::msleep(5);
    }

    // Kills that bus's daemon, as the end of a desktop session does, and its
    // services with it.
    void stopDaemon(Kind kind)
    {
        Bus &b = m_buses[index(kind)];
        stopChild(b.services);
        stopChild(b.daemon);
    }

private:
    struct Bus {
        std::unique_ptr<QProcess> daemon;
        std::unique_ptr<QProcess> services;
        QString address;
        QString connectionName;
    };

    static constexpr int timeoutMs = 20'000;

    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kind); }

    // A session-type bus (so descriptors pass on both) that listens only in
    // our folder and knows no service files: nothing of the machine's is
    // activated on it.
    bool startDaemon(Kind kind)
    {
        static int serial = 0;
        const QString name = kind == Kind::session ? QStringLiteral("session") : QStringLiteral("system");
        QFile config(m_dir.filePath(name + QStringLiteral(".conf")));
        const QByteArray text = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=)" + m_dir.filePath(name).toUtf8() +
                                R"(</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";
        if (!config.open(QIODevice::WriteOnly) || config.write(text) != text.size()) {
            ADD_FAILURE() << "cannot write " << config.fileName().toStdString();
            return false;
        }
        config.close();

        Bus &b = m_buses[index(kind)];
        b.daemon = childProcess();
        // As root it warns that it cannot raise its descriptor limit: kept
        // out of the test output unless the daemon fails.
        QFile log(m_dir.filePath(name + QStringLiteral(".log")));
        b.daemon->setStandardErrorFile(log.fileName());
        b.daemon->start(QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")),
                        {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                         QStringLiteral("--print-address")});
        b.address = QString::fromUtf8(firstLine(*b.daemon, timeoutMs));
        if (b.address.isEmpty()) {
            log.open(QIODevice::ReadOnly);
            ADD_FAILURE() << "dbus-daemon (package dbus) did not start: " << log.readAll().toStdString();
            return false;
        }
        b.connectionName = QStringLiteral("pelorin-test-%1-%2").arg(name).arg(++serial);
        return QDBusConnection::connectToBus(b.address, b.connectionName).isConnected();
    }

    QTemporaryDir m_dir;
    std::array<Bus, 2> m_buses;
};

} // namespace pelorin::test
