#pragma once

#include "test_bus.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

namespace pelorin::test {

// A desktop of its own on which a screen reader can reach a Qt program: an
// Xvfb display, private session and system buses (TestBus) and the
// accessibility bus that at-spi-bus-launcher starts on that session bus, with
// the registry it activates. Every run has its own display (the server picks
// a free number itself) and its own buses, so runs in parallel never meet,
// and none of it reaches the machine's own display or buses. Everything
// started here goes when the desktop goes, or when the test process dies.
class AccessibilityDesktop {
public:
    AccessibilityDesktop();
    ~AccessibilityDesktop();
    AccessibilityDesktop(const AccessibilityDesktop &) = delete;
    AccessibilityDesktop &operator=(const AccessibilityDesktop &) = delete;

    // Why no such desktop can be had here (Xvfb or the accessibility bus
    // launcher is not installed), or an empty string when it can.
    static QString missingTools();

    // Starts the display, the buses and the accessibility bus; reports a
    // test failure and returns false when any of them does not come up.
    bool start();

    QString display() const { return m_display; }
    // The accessibility bus, as org.a11y.Bus on the session bus tells it.
    QString accessibilityBusAddress() const { return m_accessibilityBus; }

    // What a Qt program needs to show its windows on this desktop and offer
    // them to screen readers: the display, the xcb platform, accessibility
    // always on, the private buses and a runtime folder of its own. Nothing
    // that would lead it to the machine's display or buses is kept.
    QProcessEnvironment programEnvironment() const;

    // Starts `program` on this desktop; it dies with the test process.
    void startProgram(QProcess &process, const QString &program, const QStringList &arguments) const;

private:
    bool startDisplay();
    bool startAccessibilityBus();
    QString logOf(const QString &name) const;

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<TestBus> m_buses;
    std::unique_ptr<QProcess> m_launcher;
    QString m_display;
    QString m_accessibilityBus;
};

} // namespace pelorin::test
