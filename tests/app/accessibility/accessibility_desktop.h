#pragma once

#include "test_bus.h"

#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <sys/prctl.h>
#include <unistd.h>

namespace pelorin::test {

using namespace Qt::StringLiterals;

// A desktop of its own on which a screen reader can reach a Qt program: an
// Xvfb display, private buses (TestBus) and the accessibility bus that
// at-spi-bus-launcher starts on that session bus. Parallel runs never meet,
// none of it reaches the machine's own, and all of it goes with the desktop
// or with the test process.
class AccessibilityDesktop {
public:
    AccessibilityDesktop() = default;
    AccessibilityDesktop(const AccessibilityDesktop &) = delete;
    AccessibilityDesktop &operator=(const AccessibilityDesktop &) = delete;

    ~AccessibilityDesktop()
    {
        // The launcher, its bus and the registry share a process group.
        if (m_launcher && m_launcher->processId() > 0)
            ::kill(-static_cast<pid_t>(m_launcher->processId()), SIGKILL);
        stopChild(m_launcher);
        m_buses.reset();
        stopChild(m_xvfb);
    }

    // Why no such desktop can be had here; empty when it can.
    static QString missingTools()
    {
        QStringList missing;
        if (QStandardPaths::findExecutable(u"Xvfb"_s).isEmpty())
            missing.append(u"Xvfb (package xvfb)"_s);
        if (launcher().isEmpty())
            missing.append(u"at-spi-bus-launcher (package at-spi2-core)"_s);
        return missing.isEmpty() ? QString() : u"the screen reader tests need "_s + missing.join(u" and "_s);
    }

    // False, with a test failure, when any part does not come up.
    bool start()
    {
        // The accessibility bus's socket goes here: private, as the real one.
        if (!m_dir.isValid() || !QDir(m_dir.path()).mkpath(u"runtime"_s) ||
            !QFile::setPermissions(path("runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
            ADD_FAILURE() << "cannot make the runtime folder";
            return false;
        }

        // -displayfd: the server picks a free display itself and prints it
        // once it accepts clients. -noreset keeps the root window's
        // properties (the accessibility bus among them) when clients go.
        m_xvfb = childProcess();
        m_xvfb->setStandardErrorFile(path("xvfb.log"));
        m_xvfb->start(QStandardPaths::findExecutable(u"Xvfb"_s),
                      u"-displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24"_s.split(u' '));
        bool ok = false;
        m_display = u':' + QString::number(QString::fromLatin1(firstLine(*m_xvfb, timeoutMs)).toInt(&ok));
        if (!ok) {
            ADD_FAILURE() << "Xvfb did not start: " << log("xvfb.log");
            return false;
        }
        m_buses = std::make_unique<TestBus>();
        if (!m_buses->isValid())
            return false;

        // In its own process group (see above); should the test process die
        // first, SIGTERM lets the launcher take its bus down itself.
        m_launcher = std::make_unique<QProcess>();
        QProcessEnvironment environment = this->environment();
        // No desktop settings of the machine's, and no settings service.
        environment.insert(u"GSETTINGS_BACKEND"_s, u"memory"_s);
        m_launcher->setProcessEnvironment(environment);
        m_launcher->setStandardOutputFile(QProcess::nullDevice());
        m_launcher->setStandardErrorFile(path("launcher.log"));
        m_launcher->setChildProcessModifier([] {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        });
        // --a11y=1: accessibility is on, as it is while a screen reader runs.
        m_launcher->start(launcher(), {u"--launch-immediately"_s, u"--a11y=1"_s});

        const QDeadlineTimer deadline(timeoutMs);
        while (m_accessibilityBus.isEmpty()) {
            const QDBusMessage reply = m_buses->connection(TestBus::Kind::session)
                                           .call(QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s,
                                                                                u"org.a11y.Bus"_s, u"GetAddress"_s));
            if (reply.type() == QDBusMessage::ReplyMessage)
                m_accessibilityBus = reply.arguments().value(0).toString();
            if (m_accessibilityBus.isEmpty() &&
                (m_launcher->state() == QProcess::NotRunning || deadline.hasExpired())) {
                ADD_FAILURE() << "the accessibility bus did not come up: " << log("launcher.log");
                return false;
            }
            QThread::msleep(20);
        }

        // The registry starts on demand: asked once, it is there for all.
        const QString probe = u"pelorin-a11y-probe"_s;
        const QDBusMessage reply =
            QDBusConnection::connectToBus(m_accessibilityBus, probe)
                .call(QDBusMessage::createMethodCall(u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/accessible/root"_s,
                                                     u"org.a11y.atspi.Accessible"_s, u"GetChildren"_s),
                      QDBus::Block, timeoutMs);
        QDBusConnection::disconnectFromBus(probe);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << "the accessibility registry did not answer";
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    // The accessibility bus, as org.a11y.Bus on the session bus tells it.
    QString accessibilityBusAddress() const { return m_accessibilityBus; }

    // Starts a Qt program on this desktop, offering its widgets to screen
    // readers; it dies with the test process.
    void startProgram(QProcess &process, const QString &program, const QStringList &arguments) const
    {
        QProcessEnvironment environment = this->environment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        // Qt offers its widgets to AT-SPI only while accessibility is on.
        environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        // No slow OpenGL probing: nothing drawn needs it.
        environment.insert(u"QT_XCB_GL_INTEGRATION"_s, u"none"_s);
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        process.start(program, arguments);
    }

private:
    static constexpr int timeoutMs = 30'000;

    // Debian keeps the launcher out of PATH.
    static QString launcher()
    {
        return QStandardPaths::findExecutable(
            u"at-spi-bus-launcher"_s, {u"/usr/libexec"_s, u"/usr/lib/at-spi2-core"_s, u"/usr/libexec/at-spi2-core"_s});
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    std::string log(const char *name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"AT_SPI_BUS_ADDRESS", "WAYLAND_DISPLAY", "XAUTHORITY"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(u"DISPLAY"_s, m_display);
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::session));
        environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::system));
        environment.insert(u"XDG_RUNTIME_DIR"_s, path("runtime"));
        return environment;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_xvfb;
    std::unique_ptr<TestBus> m_buses;
    std::unique_ptr<QProcess> m_launcher;
    QString m_display;
    QString m_accessibilityBus;
};

} // namespace pelorin::test
