// The kit's generic rows: what they write, what they follow, what they log
// and what screen readers hear.
#include "kit_test_support.h"

#include "log_capture.h"
#include "test_files.h"

#include "choice_menu.h"
#include "open_at_login_row.h"
#include "orbel_switch.h"
#include "panel_action_row.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMenu>
#include <QSignalSpy>

using namespace orbel;
using namespace orbel::test;
using namespace Qt::StringLiterals;

TEST(OpenAtLoginRow, FlipsTheLoginItemAndFollowsIt)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.OpenAtLoginRowTest"));
    LoginItem &item = scratch.item;
    OpenAtLoginRow row(item, QColor(Qt::blue), OrbelEnvironment{});
    EXPECT_FALSE(row.toggle()->isChecked());

    row.toggle()->click();
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(row.toggle()->isChecked());
    item.setEnabled(false);
    EXPECT_FALSE(row.toggle()->isChecked()) << "the switch shows what the system reports";
}

TEST(OpenAtLoginRow, AFlipThatCannotBeWrittenIsLoggedAndSnapsBack)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.OpenAtLoginRowTest"));
    // A file where the autostart folder should be: nothing can be written.
    const QString blocked = scratch.home.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(pelorin::test::writeFile(blocked, {}));
    OpenAtLoginRow row(scratch.item, QColor(Qt::blue), OrbelEnvironment{});
    QSignalSpy changed(&scratch.item, &LoginItem::enabledChanged);

    const pelorin::test::LogCapture log;
    row.toggle()->click();
    EXPECT_FALSE(scratch.item.isEnabled());
    EXPECT_FALSE(row.toggle()->isChecked());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_EQ(log.lines(),
              QStringList{log.line(QtCriticalMsg, "login",
                                   u"login item change failed: Could not create the folder %1."_s.arg(blocked))});
}

TEST(ChoiceMenu, TitledByTheSelectionWhichPickingWritesAndTheTitleFollows)
{
    QString sound = QStringLiteral("Chime");
    QWidget holder;
    auto *menu = ChoiceMenu::create<QString>(
        Binding<QString>{[&] { return sound; }, [&](QString value) { sound = value; }},
        {QStringLiteral("None"), QStringLiteral("Chime"), QStringLiteral("Bell")},
        [](const QString &value) { return value.toUpper(); }, OrbelEnvironment{}, &holder);
    EXPECT_EQ(menu->text(), QStringLiteral("CHIME"));

    std::unique_ptr<QMenu> popup(menu->buildMenu());
    const QList<QAction *> actions = popup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions.at(1)->isChecked());
    actions.at(2)->trigger();
    EXPECT_EQ(sound, QStringLiteral("Bell"));
    EXPECT_EQ(menu->text(), QStringLiteral("BELL"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(menu)->text(QAccessible::Name), QStringLiteral("BELL"));
    EXPECT_TRUE(menu->accessibleDescription().isEmpty()) << "the name already says it";
}

TEST(PanelActionRow, ReadsItsValueAndHintAndRunsItsActionWhenPressed)
{
    int performed = 0;
    PanelActionRow row({.title = QStringLiteral("Keep awake"),
                        .symbol = QStringLiteral("sun.max"),
                        .brand = sampleBrand(),
                        .badge = QStringLiteral("3"),
                        .value = QStringLiteral("On"),
                        .hint = QStringLiteral("Starts a session"),
                        .perform = [&] { ++performed; }},
                       nullptr, OrbelEnvironment{});
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(row.actionButton());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Keep awake, 3"));
    EXPECT_EQ(button->text(QAccessible::Value), QStringLiteral("On"));
    EXPECT_EQ(button->text(QAccessible::Description), QStringLiteral("Starts a session"));
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(performed, 1);
}
