// What a screen reader finds when it reads the tray panel: the program on a
// virtual display of its own, offering its widgets over AT-SPI, and a client
// of that protocol walking the registry's tree the way Orca does.

#include "atspi_client.h"
#include "test_bus.h"

#include "duration_grid.h"
#include "session_duration.h"

#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sys/prctl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace pelorin;
using pelorin::test::AtspiClient;
using pelorin::test::AtspiEvent;
using pelorin::test::AtspiObject;

namespace {

// Generous: the panel runs under the sanitizers, and ctest runs many suites
// at once.
constexpr auto timeout = 60s;
constexpr int timeoutMs = 60'000;

// Each test has a desktop of its own on which a screen reader reaches the
// panel: an Xvfb display, private buses (TestBus) and the accessibility bus
// that at-spi-bus-launcher starts on that session bus. Parallel runs never
// meet, none of it reaches the machine's own, and all of it goes with the
// test, or with the test process.
class ScreenReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        const QString xvfbProgram = QStandardPaths::findExecutable(u"Xvfb"_s);
        // Debian keeps the launcher out of PATH.
        const QString launcherProgram = QStandardPaths::findExecutable(
            u"at-spi-bus-launcher"_s, {u"/usr/libexec"_s, u"/usr/lib/at-spi2-core"_s, u"/usr/libexec/at-spi2-core"_s});
        if (xvfbProgram.isEmpty() || launcherProgram.isEmpty())
            GTEST_SKIP() << "the screen reader tests need Xvfb (package xvfb) and at-spi-bus-launcher (at-spi2-core)";
        ASSERT_TRUE(dir.isValid());
        // -displayfd: the server picks a free display itself and prints it
        // once it accepts clients. -noreset keeps the root window's
        // properties (the accessibility bus among them) when clients go.
        xvfb = test::childProcess();
        xvfb->setStandardErrorFile(dir.filePath(u"xvfb.log"_s));
        xvfb->start(xvfbProgram, u"-displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24"_s.split(u' '));
        bool ok = false;
        display = u':' + QString::number(QString::fromLatin1(test::firstLine(*xvfb, timeoutMs)).toInt(&ok));
        ASSERT_TRUE(ok) << "Xvfb did not start: " << log(u"xvfb.log"_s);
        buses = std::make_unique<test::TestBus>();
        ASSERT_TRUE(buses->isValid());

        // In a process group of its own, which its bus and the registry join;
        // should the test process die first, SIGTERM lets the launcher take
        // its bus down itself.
        launcher = std::make_unique<QProcess>();
        QProcessEnvironment launcherEnvironment = environment();
        // No desktop settings of the machine's, and no settings service.
        launcherEnvironment.insert(u"GSETTINGS_BACKEND"_s, u"memory"_s);
        launcher->setProcessEnvironment(launcherEnvironment);
        launcher->setStandardOutputFile(QProcess::nullDevice());
        launcher->setStandardErrorFile(dir.filePath(u"launcher.log"_s));
        launcher->setChildProcessModifier([] {
            ::setpgid(0, 0);
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        });
        // --a11y=1: accessibility is on, as it is while a screen reader runs.
        launcher->start(launcherProgram, {u"--launch-immediately"_s, u"--a11y=1"_s});
        QString address;
        const QDeadlineTimer deadline(timeoutMs);
        while (address.isEmpty() && launcher->state() != QProcess::NotRunning && !deadline.hasExpired()) {
            const QDBusMessage reply = buses->connection(test::TestBus::Kind::session)
                                           .call(QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s,
                                                                                u"org.a11y.Bus"_s, u"GetAddress"_s));
            if (reply.type() == QDBusMessage::ReplyMessage)
                address = reply.arguments().value(0).toString();
            QThread::msleep(20);
        }
        ASSERT_FALSE(address.isEmpty()) << "the accessibility bus did not come up: " << log(u"launcher.log"_s);
        client = std::make_unique<AtspiClient>(address);
        ASSERT_TRUE(client->isConnected());
        // The registry starts on demand: asked now, it runs before the panel
        // looks for it.
        client->applications();
    }

    ~ScreenReaderTest() override
    {
        // The launcher, its bus and the registry share a process group.
        if (launcher && launcher->processId() > 0)
            ::kill(-static_cast<pid_t>(launcher->processId()), SIGKILL);
        test::stopChild(launcher);
        test::stopChild(xvfb);
    }

    void TearDown() override
    {
        if (panel.program().isEmpty())
            return;
        // Closing its input ends the panel the orderly way, so the
        // sanitizers' checks at exit run too.
        panel.closeWriteChannel();
        ASSERT_TRUE(panel.state() == QProcess::NotRunning || panel.waitForFinished(timeoutMs))
            << "the panel did not quit";
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << log(u"panel.log"_s);
        EXPECT_EQ(panel.exitCode(), 0) << log(u"panel.log"_s);
    }

    std::string log(const QString &name) const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Leads nowhere near the machine's own display or buses.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &name : {u"AT_SPI_BUS_ADDRESS"_s, u"WAYLAND_DISPLAY"_s, u"XAUTHORITY"_s})
            environment.remove(name);
        environment.insert(u"DISPLAY"_s, display);
        environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, buses->address(test::TestBus::Kind::session));
        environment.insert(u"DBUS_SYSTEM_BUS_ADDRESS"_s, buses->address(test::TestBus::Kind::system));
        // Private to its owner, as the real one: the accessibility bus's
        // socket goes there.
        environment.insert(u"XDG_RUNTIME_DIR"_s, dir.path());
        return environment;
    }

    // Starts the panel program showing `state`, offering its widgets to
    // screen readers, and returns the panel window as the screen reader
    // finds it in the registry's tree.
    std::optional<AtspiObject> launch(const QString &state)
    {
        QProcessEnvironment environment = this->environment();
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        // Qt offers its widgets to AT-SPI only while accessibility is on.
        environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        // No slow OpenGL probing: nothing drawn needs it.
        environment.insert(u"QT_XCB_GL_INTEGRATION"_s, u"none"_s);
        panel.setProcessEnvironment(environment);
        panel.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        panel.setStandardErrorFile(dir.filePath(u"panel.log"_s));
        panel.start(QStringLiteral(PELORIN_ACCESSIBLE_PANEL), {state});
        // The program and its window can join the registry a moment after
        // the panel is on screen.
        const QDeadlineTimer deadline(timeout);
        while (!deadline.hasExpired() && panel.state() != QProcess::NotRunning) {
            for (const AtspiObject &application : client->applications()) {
                if (client->name(application) != u"Pelorin"_s)
                    continue;
                for (const AtspiObject &window : client->children(application)) {
                    if (client->name(window) == u"Pelorin"_s && client->hasState(window, u"showing"_s))
                        return window;
                }
            }
            QThread::msleep(50);
        }
        ADD_FAILURE() << "no Pelorin panel window on screen in the registry's tree\n" << log(u"panel.log"_s);
        return std::nullopt;
    }

    // Sends `command` (none: just reads), then returns the panel's next line
    // split at its tabs, less the leading `kind`: "shown" caption and value,
    // or "settings" armed, display, duration tile and status line. Empty,
    // with a failure, when another line or none comes.
    QStringList ask(const QString &command, const QString &kind, qsizetype count)
    {
        if (!command.isEmpty())
            panel.write((command + u'\n').toUtf8());
        QStringList fields = QString::fromUtf8(test::firstLine(panel, timeoutMs)).split(u'\t');
        if (fields.size() != count + 1 || fields.takeFirst() != kind) {
            ADD_FAILURE() << "unexpected answer from the panel: " << fields.join(u' ').toStdString() << '\n'
                          << log(u"panel.log"_s);
            return {};
        }
        return fields;
    }
    QStringList stage(const QString &state) { return ask(u"stage "_s + state, u"shown"_s, 2); }
    // What the panel program reports of its settings and status line.
    struct Settings {
        QString armed, display, duration, status;
        // No answer came.
        bool isEmpty() const { return status.isEmpty(); }
    };
    Settings settings()
    {
        const QStringList fields = ask(u"settings"_s, u"settings"_s, 4);
        return {fields.value(0), fields.value(1), fields.value(2), fields.value(3)};
    }

    // The one object under `root` named `name` in `role`.
    std::optional<AtspiObject> findControl(const AtspiObject &root, const QString &name, const QString &role)
    {
        QList<AtspiObject> found = client->findByName(root, name);
        found.removeIf([&](const AtspiObject &object) { return client->roleName(object) != role; });
        if (found.size() != 1) {
            ADD_FAILURE() << found.size() << " " << role.toStdString() << " named " << name.toStdString() << " in\n"
                          << describe(root);
            return std::nullopt;
        }
        return found.constFirst();
    }

    // The tree under `root` as a screen reader sees it, for failure messages.
    std::string describe(const AtspiObject &root, int indent = 0) const
    {
        std::string result = std::string(indent, ' ') + '[' + client->roleName(root).toStdString() + "] " +
                             client->name(root).toStdString() + '\n';
        for (const AtspiObject &child : client->children(root))
            result += describe(child, indent + 2);
        return result;
    }

    QTemporaryDir dir;
    std::unique_ptr<QProcess> xvfb;
    QString display;
    std::unique_ptr<test::TestBus> buses;
    std::unique_ptr<QProcess> launcher;
    std::unique_ptr<AtspiClient> client;
    // Declared last: it goes before the desktop it runs on.
    QProcess panel;
};

// The card as the session moves on: each state's caption and text reach the
// screen reader as the card has them, read afresh, and a screen reader that
// listens hears the change without asking. Then the screen reader presses a
// duration tile and flips the panel's switches with the action each offers:
// the setting behind each changes just as a click changes it, and the panel
// says so.
TEST_F(ScreenReaderTest, FollowsTheCardAndItsActionsChangeTheSettingsAsAClickDoes)
{
    // Listening before the program starts: it learns of its listeners when
    // it joins the registry.
    ASSERT_TRUE(client->listenFor(u"object:text-changed"_s));
    ASSERT_TRUE(client->listenFor(u"object:property-change:accessible-name"_s));

    const std::optional<AtspiObject> window = launch(u"ready"_s);
    ASSERT_TRUE(window);
    QStringList card = ask({}, u"shown"_s, 2);
    ASSERT_FALSE(card.isEmpty());
    const QList<AtspiObject> found = client->findByName(*window, card[0]);
    ASSERT_EQ(found.size(), 1) << describe(*window);
    const AtspiObject readout = found.constFirst();

    for (const QString &state :
         {u"active"_s, u"stopping"_s, u"off"_s, u"failure"_s, u"retained-failure"_s, u"starting"_s, u"ready"_s}) {
        SCOPED_TRACE(state.toStdString());
        const QStringList before = card;
        client->clearEvents();
        card = stage(state);
        ASSERT_FALSE(card.isEmpty());
        ASSERT_NE(card[1], before[1]);
        EXPECT_EQ(client->name(readout), card[0]);
        EXPECT_EQ(client->text(readout), card[1]);

        EXPECT_TRUE(client->waitForEvent(
            [&](const AtspiEvent &event) {
                return event.source == readout && event.member == u"TextChanged"_s && event.detail == u"insert"_s &&
                       event.text == card[1];
            },
            timeout))
            << "no text-changed event with the new value";
        // Qt sends the object along with a name change rather than the new
        // name; the screen reader reads the name afresh, as above.
        if (card[0] != before[0]) {
            EXPECT_TRUE(client->waitForEvent(
                [&](const AtspiEvent &event) {
                    return event.source == readout && event.member == u"PropertyChange"_s &&
                           event.detail == u"accessible-name"_s;
                },
                timeout))
                << "no name-changed event";
        }
    }

    // Back at "ready".
    const Settings before = settings();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(before.armed, u"1"_s);

    // The session itself does not start in a staged panel; the duration it
    // would last is what the tile sets.
    const QString halfHour = pelorin::DurationGrid::title(pelorin::SessionDuration::minutes30());
    ASSERT_NE(before.duration, halfHour);
    const std::optional<AtspiObject> tile = findControl(*window, halfHour, u"push button"_s);
    ASSERT_TRUE(tile);
    ASSERT_TRUE(client->doAction(*tile, u"press"_s)) << client->actionNames(*tile).join(u", "_s).toStdString();
    Settings after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_EQ(after.duration, halfHour);

    const std::optional<AtspiObject> display = findControl(*window, u"Keep the display always awake"_s, u"check box"_s);
    ASSERT_TRUE(display);
    ASSERT_TRUE(client->doAction(*display, u"toggle"_s)) << client->actionNames(*display).join(u", "_s).toStdString();
    after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_NE(after.display, before.display) << "the next session's display choice";
    EXPECT_EQ(after.armed, u"1"_s);
    EXPECT_EQ(client->hasState(*display, u"checked"_s), after.display == u"1"_s);

    const std::optional<AtspiObject> master = findControl(*window, u"Pelorin"_s, u"check box"_s);
    ASSERT_TRUE(master);
    ASSERT_TRUE(client->doAction(*master, u"toggle"_s));
    after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_EQ(after.armed, u"0"_s);
    EXPECT_EQ(after.status, u"Off: the Mac can sleep"_s);
    EXPECT_FALSE(client->hasState(*master, u"checked"_s));
}

} // namespace
