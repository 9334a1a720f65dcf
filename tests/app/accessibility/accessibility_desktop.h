#pragma once

#include "test_bus.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace pelorin::test {

// A desktop of its own on which a screen reader can reach a Qt program: an
// Xvfb display, private session and system buses (TestBus) and the
// accessibility bus that at-spi-bus-launcher starts on that session bus, with
// the registry it activates. Every run has its own display and buses, so
// runs in parallel never meet, and none of it reaches the machine's own.
// Everything started here goes with the desktop, or with the test process.
class AccessibilityDesktop {
public:
    AccessibilityDesktop() = default;
    ~AccessibilityDesktop();
    AccessibilityDesktop(const AccessibilityDesktop &) = delete;
    AccessibilityDesktop &operator=(const AccessibilityDesktop &) = delete;

    // Why no such desktop can be had here (a tool is not installed), or an
    // empty string when it can.
    static QString missingTools();

    // Starts the display, the buses and the accessibility bus; reports a
    // test failure and returns false when any of them does not come up.
    bool start();

    // The accessibility bus, as org.a11y.Bus on the session bus tells it.
    QString accessibilityBusAddress() const { return m_accessibilityBus; }

    // Starts a Qt program on this desktop, its widgets offered to screen
    // readers, with nothing that would lead it to the machine's display or
    // buses; it dies with the test process.
    void startProgram(QProcess &process, const QString &program, const QStringList &arguments) const;

private:
    QProcessEnvironment environment() const;
    QString log(const QString &name) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<TestBus> m_buses;
    std::unique_ptr<QProcess> m_launcher;
    QString m_display;
    QString m_accessibilityBus;
};

} // namespace pelorin::test
