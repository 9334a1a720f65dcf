#include "accessibility_desktop.h"

#include "child_process.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int startTimeoutMs = 30'000;

// Where Debian and other distributions keep the launcher; it is not on PATH.
QString launcherProgram()
{
    const QString name = u"at-spi-bus-launcher"_s;
    QString found = QStandardPaths::findExecutable(
        name, {u"/usr/libexec"_s, u"/usr/lib/at-spi2-core"_s, u"/usr/libexec/at-spi2-core"_s});
    if (found.isEmpty())
        found = QStandardPaths::findExecutable(name);
    return found;
}

QString xvfbProgram()
{
    return QStandardPaths::findExecutable(u"Xvfb"_s);
}

// Variables that would lead a program to the machine's own display,
// compositor or accessibility bus.
void dropOutsideWorld(QProcessEnvironment &environment)
{
    for (const QString &name : {u"AT_SPI_BUS_ADDRESS"_s, u"WAYLAND_DISPLAY"_s, u"XAUTHORITY"_s, u"DISPLAY"_s,
                                u"DBUS_SESSION_BUS_ADDRESS"_s, u"DBUS_SYSTEM_BUS_ADDRESS"_s, u"XDG_RUNTIME_DIR"_s})
        environment.remove(name);
}

} // namespace

AccessibilityDesktop::AccessibilityDesktop() = default;

AccessibilityDesktop::~AccessibilityDesktop()
{
    if (m_launcher) {
        // The launcher, its bus daemon and the registry that bus activated
        // share the launcher's process group: all of them go at once.
        const auto group = static_cast<pid_t>(m_launcher->processId());
        if (group > 0)
            ::kill(-group, SIGKILL);
        stopChild(m_launcher, startTimeoutMs);
    }
    m_buses.reset();
    stopChild(m_xvfb, startTimeoutMs);
}

QString AccessibilityDesktop::missingTools()
{
    QStringList missing;
    if (xvfbProgram().isEmpty())
        missing.append(u"Xvfb (package xvfb)"_s);
    if (launcherProgram().isEmpty())
        missing.append(u"at-spi-bus-launcher (package at-spi2-core)"_s);
    if (missing.isEmpty())
        return {};
    return u"the screen reader tests need "_s + missing.join(u" and "_s) + u", not installed here"_s;
}

bool AccessibilityDesktop::start()
{
    if (!m_dir.isValid()) {
        ADD_FAILURE() << "no temporary folder for the desktop";
        return false;
    }
    // The runtime folder holds the accessibility bus's socket; like the
    // real one it is private to its owner.
    if (!QDir(m_dir.path()).mkpath(u"runtime"_s) ||
        !QFile::setPermissions(m_dir.filePath(u"runtime"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)) {
        ADD_FAILURE() << "cannot make the runtime folder";
        return false;
    }
    if (!startDisplay())
        return false;
    m_buses = std::make_unique<TestBus>();
    if (!m_buses->isValid())
        return false;
    return startAccessibilityBus();
}

QString AccessibilityDesktop::logOf(const QString &name) const
{
    QFile file(m_dir.filePath(name + u".log"_s));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

bool AccessibilityDesktop::startDisplay()
{
    m_xvfb = std::make_unique<QProcess>();
    m_xvfb->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_xvfb->setStandardErrorFile(m_dir.filePath(u"xvfb.log"_s));
    // -displayfd: the server takes the first free display number itself
    // (its lock file decides, so parallel runs cannot take the same one) and
    // writes it to standard output once it accepts clients. -noreset keeps
    // the root window's properties, among them the accessibility bus
    // address, when its last client goes.
    m_xvfb->start(xvfbProgram(), {u"-displayfd"_s, u"1"_s, u"-nolisten"_s, u"tcp"_s, u"-noreset"_s, u"-screen"_s,
                                  u"0"_s, u"1280x800x24"_s});
    bool ok = false;
    const int number = QString::fromLatin1(firstLine(*m_xvfb, startTimeoutMs)).toInt(&ok);
    if (!ok) {
        ADD_FAILURE() << "Xvfb did not start: " << logOf(u"xvfb"_s).toStdString();
        return false;
    }
    m_display = u":"_s + QString::number(number);
    return true;
}

bool AccessibilityDesktop::startAccessibilityBus()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    dropOutsideWorld(environment);
    environment.insert(u"DISPLAY"_s, m_display);
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::session));
    environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::system));
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
    // The launcher reads the desktop's accessibility settings; none of the
    // machine's, and no settings service to start.
    environment.insert(u"GSETTINGS_BACKEND"_s, u"memory"_s);

    m_launcher = std::make_unique<QProcess>();
    m_launcher->setProcessEnvironment(environment);
    m_launcher->setStandardOutputFile(QProcess::nullDevice());
    m_launcher->setStandardErrorFile(m_dir.filePath(u"launcher.log"_s));
    // Its own process group, so that the bus daemon it starts and the
    // registry that daemon activates can be ended with it. Should the test
    // process die first, SIGTERM lets the launcher take its bus down itself
    // (a SIGKILL would leave the bus behind); the registry leaves once the
    // session bus is gone.
    m_launcher->setChildProcessModifier([] {
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    // --a11y=1: the desktop says accessibility is on, as it does while a
    // screen reader runs.
    m_launcher->start(launcherProgram(), {u"--launch-immediately"_s, u"--a11y=1"_s});
    if (!m_launcher->waitForStarted(startTimeoutMs)) {
        ADD_FAILURE() << "at-spi-bus-launcher did not start";
        return false;
    }

    // The launcher owns org.a11y.Bus on the session bus once its bus runs.
    const QDBusConnection session = m_buses->connection(TestBus::Kind::session);
    const QDBusMessage getAddress =
        QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, u"GetAddress"_s);
    QDeadlineTimer deadline(startTimeoutMs);
    while (m_accessibilityBus.isEmpty()) {
        const QDBusMessage reply = session.call(getAddress, QDBus::Block, startTimeoutMs);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            m_accessibilityBus = reply.arguments().constFirst().toString();
        if (!m_accessibilityBus.isEmpty())
            break;
        if (m_launcher->state() == QProcess::NotRunning || deadline.hasExpired()) {
            ADD_FAILURE() << "the accessibility bus did not come up: " << reply.errorMessage().toStdString() << "\n"
                          << logOf(u"launcher"_s).toStdString();
            return false;
        }
        QThread::msleep(20);
    }

    // The registry is started on demand by the accessibility bus; ask it
    // once so that it runs before any program looks for it.
    const QString name = u"pelorin-a11y-probe"_s + m_display;
    bool registryAnswered = false;
    {
        const QDBusConnection bus = QDBusConnection::connectToBus(m_accessibilityBus, name);
        const QDBusMessage reply =
            bus.call(QDBusMessage::createMethodCall(u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/accessible/root"_s,
                                                    u"org.a11y.atspi.Accessible"_s, u"GetChildren"_s),
                     QDBus::Block, startTimeoutMs);
        registryAnswered = reply.type() == QDBusMessage::ReplyMessage;
        if (!registryAnswered)
            ADD_FAILURE() << "the accessibility registry did not answer: " << reply.errorMessage().toStdString() << "\n"
                          << logOf(u"launcher"_s).toStdString();
    }
    QDBusConnection::disconnectFromBus(name);
    return registryAnswered;
}

QProcessEnvironment AccessibilityDesktop::programEnvironment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    dropOutsideWorld(environment);
    environment.insert(u"DISPLAY"_s, m_display);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
    // Qt offers its widgets to AT-SPI only while accessibility is on.
    environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
    // No OpenGL probing on the virtual display: it is slow and needs nothing
    // the widgets draw.
    environment.insert(u"QT_XCB_GL_INTEGRATION"_s, u"none"_s);
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::session));
    environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, m_buses->address(TestBus::Kind::system));
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"runtime"_s));
    return environment;
}

void AccessibilityDesktop::startProgram(QProcess &process, const QString &program, const QStringList &arguments) const
{
    process.setProcessEnvironment(programEnvironment());
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, arguments);
}

} // namespace pelorin::test
