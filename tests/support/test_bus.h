#pragma once

#include "test_services_client.h"

#include <QDBusConnection>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <array>
#include <memory>

namespace pelorin::test {

// Two private dbus-daemons, one standing in for the session bus and one for
// the system bus, with a client connection to each and, on demand, the
// stand-in services (see services/test_services.h) on either. Everything
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

    QString address(Kind kind) const { return bus(kind).address; }
    // The client side: a connection of this process to that bus.
    QDBusConnection connection(Kind kind) const;

    // Starts a services process on that bus owning `names` (any of
    // org.gnome.SessionManager, org.freedesktop.PowerManagement,
    // org.freedesktop.ScreenSaver, org.freedesktop.login1,
    // org.freedesktop.portal.Desktop) besides the control name org.pelorin.Test; returns once they are on the bus.
    // A process already running there is killed first.
    bool startServices(Kind kind, const QStringList &names = {});
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

    Bus &bus(Kind kind) { return m_buses[static_cast<std::size_t>(kind)]; }
    const Bus &bus(Kind kind) const { return m_buses[static_cast<std::size_t>(kind)]; }
    bool startDaemon(Kind kind);

    QTemporaryDir m_dir;
    std::array<Bus, 2> m_buses;
};

} // namespace pelorin::test
