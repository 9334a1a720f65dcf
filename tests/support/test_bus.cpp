#include "test_bus.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int startTimeoutMs = 20'000;

// A session-type bus (so descriptors pass on both) that listens only in our
// folder and knows no service files: nothing of the machine's is activated
// on it.
constexpr char daemonConfig[] = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)";

} // namespace

std::unique_ptr<QProcess> childProcess(int deathSignal)
{
    auto process = std::make_unique<QProcess>();
    process->setChildProcessModifier([deathSignal] { ::prctl(PR_SET_PDEATHSIG, deathSignal); });
    return process;
}

QByteArray firstLine(QProcess &process, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!process.canReadLine()) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            return {};
        process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
    return process.readLine().trimmed();
}

void stopChild(std::unique_ptr<QProcess> &process)
{
    if (!process)
        return;
    process->kill();
    process->waitForFinished(startTimeoutMs);
    process.reset();
}

TestBus::TestBus()
{
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "no temporary folder for the test buses";
        return;
    }
    startDaemon(Kind::session) && startDaemon(Kind::system);
}

TestBus::~TestBus()
{
    for (Bus &b : m_buses) {
        if (!b.connectionName.isEmpty())
            QDBusConnection::disconnectFromBus(b.connectionName);
        stopChild(b.services);
        stopChild(b.daemon);
    }
}

bool TestBus::startDaemon(Kind kind)
{
    static int serial = 0;
    const QString name = kind == Kind::session ? u"session"_s : u"system"_s;
    QFile config(m_dir.filePath(name + u".conf"_s));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(QString::fromLatin1(daemonConfig).arg(m_dir.filePath(name)).toUtf8()) < 0) {
        ADD_FAILURE() << "cannot write " << config.fileName().toStdString();
        return false;
    }
    config.close();

    Bus &b = m_buses[index(kind)];
    b.daemon = childProcess();
    // As root it warns that it cannot raise its descriptor limit: kept out
    // of the test output unless the daemon fails.
    const QString log = m_dir.filePath(name + u".log"_s);
    b.daemon->setStandardErrorFile(log);
    b.daemon->start(QStandardPaths::findExecutable(u"dbus-daemon"_s),
                    {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address"_s});
    b.address = QString::fromUtf8(firstLine(*b.daemon, startTimeoutMs));
    if (b.address.isEmpty()) {
        QFile errors(log);
        errors.open(QIODevice::ReadOnly);
        ADD_FAILURE() << "dbus-daemon (package dbus) did not start for the " << name.toStdString()
                      << " bus: " << errors.readAll().toStdString();
        return false;
    }
    b.connectionName = u"pelorin-test-%1-%2"_s.arg(name).arg(++serial);
    return QDBusConnection::connectToBus(b.address, b.connectionName).isConnected();
}

bool TestBus::isValid() const
{
    return std::ranges::all_of(m_buses, [](const Bus &b) {
        return !b.connectionName.isEmpty() && QDBusConnection(b.connectionName).isConnected();
    });
}

bool TestBus::startServices(Kind kind, const QStringList &names)
{
    stopServices(kind);
    Bus &b = m_buses[index(kind)];
    b.services = childProcess();
    b.services->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    b.services->start(QStringLiteral(PELORIN_TEST_SERVICES), QStringList{b.address} + names);
    if (firstLine(*b.services, startTimeoutMs) != "ready") {
        ADD_FAILURE() << "the test services did not start: " << names.join(u' ').toStdString();
        stopChild(b.services);
        return false;
    }
    return true;
}

void TestBus::stopServices(Kind kind)
{
    Bus &b = m_buses[index(kind)];
    if (!b.services)
        return;
    stopChild(b.services);
    // The process is gone; wait until the bus has noticed too, so that the
    // next call finds the names free.
    const QDBusConnection bus = connection(kind);
    const QDeadlineTimer deadline(startTimeoutMs);
    while (bus.interface()->isServiceRegistered(u"org.pelorin.Test"_s).value() && !deadline.hasExpired())
        QThread::msleep(5);
}

} // namespace pelorin::test
