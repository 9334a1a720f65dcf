#include "test_bus.h"

#include "child_process.h"

#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int startTimeoutMs = 20'000;

// A session-type bus (so descriptors pass on both) that listens only in our
// folder and knows no service files: nothing of the machine's is activated
// on it.
QByteArray daemonConfig(const QString &socketPath)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:path=" +
           socketPath.toUtf8() +
           "</listen>\n"
           "  <auth>EXTERNAL</auth>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";
}

} // namespace

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
        stopChild(b.services, startTimeoutMs);
        stopChild(b.daemon, startTimeoutMs);
    }
}

bool TestBus::startDaemon(Kind kind)
{
    static int serial = 0;
    const QString name = kind == Kind::session ? u"session"_s : u"system"_s;
    const QString program = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    if (program.isEmpty()) {
        ADD_FAILURE() << "dbus-daemon is not installed";
        return false;
    }
    QFile config(m_dir.filePath(name + u".conf"_s));
    if (!config.open(QIODevice::WriteOnly) || config.write(daemonConfig(m_dir.filePath(name))) < 0) {
        ADD_FAILURE() << "cannot write " << config.fileName().toStdString();
        return false;
    }
    config.close();

    Bus &b = bus(kind);
    b.daemon = childProcess();
    // As root it warns that it cannot raise its descriptor limit: kept out
    // of the test output unless the daemon fails.
    const QString log = m_dir.filePath(name + u".log"_s);
    b.daemon->setStandardErrorFile(log);
    b.daemon->start(program, {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address"_s});
    b.address = QString::fromUtf8(firstLine(*b.daemon, startTimeoutMs));
    if (b.address.isEmpty()) {
        QFile errors(log);
        errors.open(QIODevice::ReadOnly);
        ADD_FAILURE() << "dbus-daemon did not start for the " << name.toStdString()
                      << " bus: " << errors.readAll().toStdString();
        return false;
    }
    b.connectionName = u"pelorin-test-%1-%2"_s.arg(name).arg(++serial);
    const QDBusConnection connection = QDBusConnection::connectToBus(b.address, b.connectionName);
    if (!connection.isConnected()) {
        ADD_FAILURE() << "cannot connect to the " << name.toStdString() << " test bus";
        return false;
    }
    return true;
}

bool TestBus::isValid() const
{
    return std::ranges::all_of(m_buses, [](const Bus &b) {
        return !b.connectionName.isEmpty() && QDBusConnection(b.connectionName).isConnected();
    });
}

QDBusConnection TestBus::connection(Kind kind) const
{
    return QDBusConnection(bus(kind).connectionName);
}

bool TestBus::startServices(Kind kind, const QStringList &names)
{
    stopServices(kind);
    Bus &b = bus(kind);
    b.services = childProcess();
    b.services->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, address(Kind::session));
    environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, address(Kind::system));
    b.services->setProcessEnvironment(environment);
    b.services->start(QStringLiteral(PELORIN_TEST_SERVICES), QStringList{b.address} + names);
    if (firstLine(*b.services, startTimeoutMs) != "ready") {
        ADD_FAILURE() << "the test services did not start: " << names.join(u' ').toStdString();
        stopChild(b.services, startTimeoutMs);
        return false;
    }
    return true;
}

void TestBus::stopServices(Kind kind)
{
    Bus &b = bus(kind);
    if (!b.services)
        return;
    stopChild(b.services, startTimeoutMs);
    // The process is gone; wait until the bus has noticed too, so that the
    // next call finds the names free.
    const QDBusConnection bus = connection(kind);
    QDeadlineTimer deadline(startTimeoutMs);
    while (bus.interface()->isServiceRegistered(u"org.pelorin.Test"_s).value() && !deadline.hasExpired())
        QThread::msleep(5);
}

} // namespace pelorin::test
