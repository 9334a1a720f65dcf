#pragma once

#include "test_services_client.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <memory>
#include <sys/prctl.h>

namespace pelorin::test {

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
    // org.freedesktop.portal.Desktop) and returns once they are on the bus.
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
