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
        if (panel.program().isEmpty())
            return;
        // Closing its input ends the panel the orderly way, so the
        // sanitizers' checks at exit run too.
        panel.closeWriteChannel();
        ASSERT_TRUE(panel.state() == QProcess::NotRunning || panel.waitForFinished(programTimeoutMs))
            << "the panel did not quit";
        EXPECT_EQ(panel.exitStatus(), QProcess::NormalExit) << errors();
        EXPECT_EQ(panel.exitCode(), 0) << errors();
    }

    std::string errors() const
    {
        QFile file(logs.filePath(u"panel.log"_s));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    // Starts the panel program showing `state`, and returns the panel window
    // as the screen reader finds it in the registry's tree.
    std::optional<AtspiObject> launch(const QString &state)
    {
        panel.setStandardErrorFile(logs.filePath(u"panel.log"_s));
        desktop.startProgram(panel, QStringLiteral(PELORIN_ACCESSIBLE_PANEL), {state});
        // The program and its window can join the registry a moment after
        // the panel is on screen.
        const QDeadlineTimer deadline(appearTimeout);
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
        ADD_FAILURE() << "no Pelorin panel window on screen in the registry's tree\n" << errors();
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
        const QDeadlineTimer deadline(programTimeoutMs);
        while (!panel.canReadLine()) {
            if (panel.state() == QProcess::NotRunning || deadline.hasExpired()) {
                ADD_FAILURE() << "the panel did not answer: " << errors();
                return {};
            }
            panel.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        }
        QStringList fields = QString::fromUtf8(panel.readLine()).chopped(1).split(u'\t');
        if (fields.size() != count + 1 || fields.takeFirst() != kind) {
            ADD_FAILURE() << "unexpected line from the panel: " << fields.join(u' ').toStdString();
            return {};
        }
        return fields;
    }
    QStringList stage(const QString &state) { return ask(u"stage "_s + state, u"shown"_s, 2); }
    QStringList settings() { return ask(u"settings"_s, u"settings"_s, 4); }

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

    QTemporaryDir logs;
    AccessibilityDesktop desktop;
    std::unique_ptr<AtspiClient> client;
    // Declared last: it goes before the desktop it runs on.
    QProcess panel;
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
            appearTimeout))
            << "no text-changed event with the new value";
        // Qt sends the object along with a name change rather than the new
        // name; the screen reader reads the name afresh, as above.
        if (card[0] != before[0]) {
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

// A screen reader presses a duration tile and flips the panel's switches
// with the action each offers: the setting behind each changes just as a
// click changes it, and the panel says so.
TEST_F(ScreenReaderTest, ActionsChangeTheSettingsAsAClickDoes)
{
    const std::optional<AtspiObject> window = launch(u"ready"_s);
    ASSERT_TRUE(window);
    ASSERT_FALSE(ask({}, u"shown"_s, 2).isEmpty());
    const QStringList before = settings();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(before[0], u"1"_s);

    // The session itself does not start in a staged panel; the duration it
    // would last is what the tile sets.
    const QString halfHour = pelorin::DurationGrid::title(pelorin::SessionDuration::minutes30());
    ASSERT_NE(before[2], halfHour);
    const std::optional<AtspiObject> tile = findControl(*window, halfHour, u"push button"_s);
    ASSERT_TRUE(tile);
    ASSERT_TRUE(client->doAction(*tile, u"press"_s)) << client->actionNames(*tile).join(u", "_s).toStdString();
    QStringList after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_EQ(after[2], halfHour);

    const std::optional<AtspiObject> display = findControl(*window, u"Keep the display always awake"_s, u"check box"_s);
    ASSERT_TRUE(display);
    ASSERT_TRUE(client->doAction(*display, u"toggle"_s)) << client->actionNames(*display).join(u", "_s).toStdString();
    after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_NE(after[1], before[1]) << "the next session's display choice";
    EXPECT_EQ(after[0], u"1"_s);
    EXPECT_EQ(client->hasState(*display, u"checked"_s), after[1] == u"1"_s);

    const std::optional<AtspiObject> master = findControl(*window, u"Pelorin"_s, u"check box"_s);
    ASSERT_TRUE(master);
    ASSERT_TRUE(client->doAction(*master, u"toggle"_s));
    after = settings();
    ASSERT_FALSE(after.isEmpty());
    EXPECT_EQ(after[0], u"0"_s);
    EXPECT_EQ(after[3], u"Off: the Mac can sleep"_s);
    EXPECT_FALSE(client->hasState(*master, u"checked"_s));
}

} // namespace
