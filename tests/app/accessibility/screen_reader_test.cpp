// What a screen reader finds when it reads the tray panel: the program on a
// virtual display of its own, offering its widgets over AT-SPI, and a client
// of that protocol walking the registry's tree the way Orca does.

#include "accessibility_desktop.h"
#include "atspi_client.h"

#include "duration_grid.h"
#include "session_duration.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using pelorin::test::AccessibilityDesktop;
using pelorin::test::AtspiClient;
using pelorin::test::AtspiEvent;
using pelorin::test::AtspiObject;

namespace {

// Generous: the panel runs under the sanitizers, and ctest runs many suites
// at once.
constexpr auto appearTimeout = 60s;
constexpr int programTimeoutMs = 60'000;

// What the readout card itself says it offers screen readers.
struct CardText {
    QString caption;
    QString value;
};

// What the panel holds: the master switch's setting, the display choice for
// the next session, and the status line.
struct Settings {
    bool armed = false;
    bool keepsDisplayAwake = false;
    QString status;
};

class ScreenReaderTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (const QString missing = AccessibilityDesktop::missingTools(); !missing.isEmpty())
            GTEST_SKIP() << missing.toStdString();
        ASSERT_TRUE(logs.isValid());
        ASSERT_TRUE(desktop.start());
        client = std::make_unique<AtspiClient>(desktop.accessibilityBusAddress());
        ASSERT_TRUE(client->isConnected());
    }

    void TearDown() override
    {
        if (!started)
            return;
        if (panel.state() != QProcess::NotRunning) {
            // Closing its input ends the panel the orderly way, so the
            // sanitizers' checks at exit run too.
            panel.closeWriteChannel();
            if (!panel.waitForFinished(programTimeoutMs)) {
                ADD_FAILURE() << "the panel did not quit";
                return;
            }
        }
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << errors();
        EXPECT_EQ(panel.exitCode(), 0) << errors();
    }

    std::string errors() const
    {
        QFile file(logs.filePath(u"panel.log"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Starts the panel program showing `state` and waits until the panel is
    // on screen.
    std::optional<CardText> launch(const QString &state)
    {
        panel.setStandardErrorFile(logs.filePath(u"panel.log"_s));
        desktop.startProgram(panel, QStringLiteral(PELORIN_ACCESSIBLE_PANEL), {state});
        started = panel.waitForStarted(programTimeoutMs);
        if (!started) {
            ADD_FAILURE() << "the panel did not start";
            return std::nullopt;
        }
        return shown();
    }

    // Has the running panel show `state`.
    std::optional<CardText> stage(const QString &state)
    {
        panel.write(u"stage %1\n"_s.arg(state).toUtf8());
        return shown();
    }

    std::optional<CardText> shown()
    {
        const QStringList fields = nextLine(u"shown"_s, 3);
        if (fields.isEmpty())
            return std::nullopt;
        return CardText{fields[1], fields[2]};
    }

    // What the running panel holds now.
    std::optional<Settings> settings()
    {
        panel.write("settings\n");
        const QStringList fields = nextLine(u"settings"_s, 4);
        if (fields.isEmpty())
            return std::nullopt;
        return Settings{fields[1] == u"1"_s, fields[2] == u"1"_s, fields[3]};
    }

    // The panel's next line, split at its tabs: `count` fields, the first
    // one `kind`. Empty, with a failure, when another line or none comes.
    QStringList nextLine(const QString &kind, qsizetype count)
    {
        QDeadlineTimer deadline(programTimeoutMs);
        while (!panel.canReadLine()) {
            if (panel.state() == QProcess::NotRunning || deadline.hasExpired()) {
                ADD_FAILURE() << "the panel did not answer: " << errors();
                return {};
            }
            panel.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        }
        const QStringList fields = QString::fromUtf8(panel.readLine()).chopped(1).split(u'\t');
        if (fields.size() != count || fields[0] != kind) {
            ADD_FAILURE() << "unexpected line from the panel: " << fields.join(u' ').toStdString();
            return {};
        }
        return fields;
    }

    // The one object under `root` named `name` in `role`.
    std::optional<AtspiObject> findControl(const AtspiObject &root, const QString &name, const QString &role)
    {
        QList<AtspiObject> found = client->findByName(root, name);
        found.removeIf([&](const AtspiObject &object) { return client->roleName(object) != role; });
        if (found.size() != 1) {
            ADD_FAILURE() << found.size() << " " << role.toStdString() << " named " << name.toStdString() << "\n"
                          << describe(root);
            return std::nullopt;
        }
        return found.constFirst();
    }

    // The program as the registry lists it, and in it the panel window.
    std::optional<AtspiObject> panelWindow()
    {
        const std::optional<AtspiObject> application = client->waitForApplication(u"Pelorin"_s, appearTimeout);
        if (!application) {
            QStringList names;
            for (const AtspiObject &other : client->applications())
                names.append(client->name(other));
            ADD_FAILURE() << "no program named Pelorin among the registry's: " << names.join(u", "_s).toStdString()
                          << "\n"
                          << errors();
            return std::nullopt;
        }
        // The window's accessibility object can come a moment after the
        // program joined the registry.
        QDeadlineTimer deadline(appearTimeout);
        for (;;) {
            for (const AtspiObject &window : client->children(*application)) {
                if (client->name(window) == u"Pelorin"_s && client->states(window).contains(u"showing"_s))
                    return window;
            }
            if (deadline.hasExpired()) {
                ADD_FAILURE() << "the program offers no panel window on screen:\n" << describe(*application, 1);
                return std::nullopt;
            }
            QThread::msleep(50);
        }
    }

    // The tree under `root` as a screen reader sees it, one object a line,
    // for failure messages.
    std::string describe(const AtspiObject &root, int depth = 64, int indent = 0) const
    {
        QString line =
            QString(indent * 2, u' ') + u'[' + client->roleName(root) + u"] \""_s + client->name(root) + u'"';
        if (const QString description = client->description(root); !description.isEmpty())
            line += u" description \""_s + description + u'"';
        if (const std::optional<QString> text = client->text(root))
            line += u" text \""_s + *text + u'"';
        if (const std::optional<double> value = client->currentValue(root))
            line += u" value "_s + QString::number(*value);
        if (!client->states(root).contains(u"showing"_s))
            line += u" (not showing)"_s;
        line += u" {"_s + client->interfaces(root).join(u' ').remove(u"org.a11y.atspi."_s) + u'}';
        std::string result = line.toStdString() + "\n";
        if (depth > 0) {
            for (const AtspiObject &child : client->children(root))
                result += describe(child, depth - 1, indent + 1);
        }
        return result;
    }

    QTemporaryDir logs;
    AccessibilityDesktop desktop;
    std::unique_ptr<AtspiClient> client;
    // Declared last: it goes before the desktop it runs on.
    QProcess panel;
    bool started = false;
};

// The card as the session moves on: each state's caption and text reach the
// screen reader as the card has them, read afresh, and a screen reader that
// listens hears the change without asking.
TEST_F(ScreenReaderTest, FollowsTheCardThroughEveryStateAndAnnouncesTheChange)
{
    // Listening before the program starts: it learns of its listeners when
    // it joins the registry.
    ASSERT_TRUE(client->listenFor(u"object:text-changed"_s));
    ASSERT_TRUE(client->listenFor(u"object:property-change:accessible-name"_s));

    std::optional<CardText> card = launch(u"ready"_s);
    ASSERT_TRUE(card);
    const std::optional<AtspiObject> window = panelWindow();
    ASSERT_TRUE(window);
    const QList<AtspiObject> found = client->findByName(*window, card->caption);
    ASSERT_EQ(found.size(), 1) << describe(*window);
    const AtspiObject readout = found.constFirst();

    const QStringList states{u"active"_s,           u"stopping"_s, u"off"_s,  u"failure"_s,
                             u"retained-failure"_s, u"starting"_s, u"ready"_s};
    for (const QString &state : states) {
        SCOPED_TRACE(state.toStdString());
        const CardText before = *card;
        client->clearEvents();
        card = stage(state);
        ASSERT_TRUE(card);
        ASSERT_NE(card->value, before.value);
        EXPECT_EQ(client->name(readout), card->caption);
        EXPECT_EQ(client->text(readout), card->value);

        const QString value = card->value;
        EXPECT_TRUE(client->waitForEvent(
            [&](const AtspiEvent &event) {
                return event.source == readout && event.member == u"TextChanged"_s && event.detail == u"insert"_s &&
                       event.text == value;
            },
            appearTimeout))
            << "no text-changed event with the new value";
        // Qt sends the object along with a name change rather than the new
        // name; the screen reader reads the name afresh, as above.
        if (card->caption != before.caption) {
            EXPECT_TRUE(client->waitForEvent(
                [&](const AtspiEvent &event) {
                    return event.source == readout && event.member == u"PropertyChange"_s &&
                           event.detail == u"accessible-name"_s;
                },
                appearTimeout))
                << "no name-changed event";
        }
    }
}

// A screen reader flips the panel's switches with the action each offers:
// the setting behind the switch changes just as a click changes it, and the
// panel says so.
TEST_F(ScreenReaderTest, FlipsThePanelsSwitchesThroughTheirSettings)
{
    ASSERT_TRUE(launch(u"ready"_s));
    const std::optional<AtspiObject> window = panelWindow();
    ASSERT_TRUE(window);
    const std::optional<Settings> before = settings();
    ASSERT_TRUE(before);
    ASSERT_TRUE(before->armed);

    const std::optional<AtspiObject> display = findControl(*window, u"Keep the display always awake"_s, u"check box"_s);
    ASSERT_TRUE(display);
    ASSERT_TRUE(client->doAction(*display, u"toggle"_s)) << client->actionNames(*display).join(u", "_s).toStdString();
    std::optional<Settings> after = settings();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->keepsDisplayAwake, !before->keepsDisplayAwake) << "the next session's display choice";
    EXPECT_TRUE(after->armed);
    EXPECT_EQ(client->states(*display).contains(u"checked"_s), after->keepsDisplayAwake);

    const std::optional<AtspiObject> master = findControl(*window, u"Pelorin"_s, u"check box"_s);
    ASSERT_TRUE(master);
    ASSERT_TRUE(client->doAction(*master, u"toggle"_s));
    after = settings();
    ASSERT_TRUE(after);
    EXPECT_FALSE(after->armed);
    EXPECT_EQ(after->status, u"Off: the Mac can sleep"_s);
    EXPECT_FALSE(client->states(*master).contains(u"checked"_s));
}

} // namespace
