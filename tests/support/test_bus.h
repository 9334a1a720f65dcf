#pragma once

#include "test_services_client.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <csignal>
#include <memory>

namespace pelorin::test {

// Two private dbus-daemons, one standing in for the session bus and one for
// the system bus, with a client connection to each and, on demand, the
// stand-in services (services/test_services.cpp) on either. Everything
// started here is killed when the TestBus goes, or when the test process
// dies. Nothing touches the machine's own buses.
class TestBus {
public:
    enum class Kind { session, system };

    TestBus();
    ~TestBus();
    TestBus(const TestBus &) = delete;
    TestBus &operator=(const TestBus &) = delete;

    // Both daemons run and both client connections are up.
    bool isValid() const;

    QString address(Kind kind) const { return m_buses[index(kind)].address; }
    // This process's connection to that bus.
    QDBusConnection connection(Kind kind) const { return QDBusConnection(m_buses[index(kind)].connectionName); }

    // Starts a services process on that bus owning `names` (any of
    // org.gnome.SessionManager, org.freedesktop.PowerManagement,
    // org.freedesktop.ScreenSaver, org.freedesktop.login1,
    // org.freedesktop.portal.Desktop) and returns once they are on the bus.
    // A process already running there is killed first.
    bool startServices(Kind kind, const QStringList &names);
    // Kills that bus's services process with SIGKILL, as a crash would, and
    // waits until its names have left the bus.
    void stopServices(Kind kind);

    TestServicesClient services(Kind kind) const { return TestServicesClient(connection(kind)); }

private:
    struct Bus {
        std::unique_ptr<QProcess> daemon;
        std::unique_ptr<QProcess> services;
        QString address;
        QString connectionName;
    };

    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kind); }
    bool startDaemon(Kind kind);

    QTemporaryDir m_dir;
    std::array<Bus, 2> m_buses;
};

// A child process that gets `deathSignal` when the test process ends, even
// when it crashes, so nothing a test starts outlives it.
std::unique_ptr<QProcess> childProcess(int deathSignal = SIGKILL);
// The first line the process prints, or an empty string when it prints none
// before it ends or `timeoutMs` passes.
QByteArray firstLine(QProcess &process, int timeoutMs);
// Kills the process, waits for it and drops it.
void stopChild(std::unique_ptr<QProcess> &process);

} // namespace pelorin::test
