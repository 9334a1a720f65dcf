// The kit's generic rows: what they write, what they follow, what they log
// and what screen readers hear.
#include "kit_test_support.h"

#include "log_capture.h"
#include "test_files.h"

#include "action_row.h"
#include "brand_palette.h"
#include "choice_menu.h"
#include "inline_notice.h"
#include "key_caps.h"
#include "open_at_login_row.h"
#include "orbel_switch.h"
#include "panel_action_row.h"
#include "panel_shortcut_keys.h"
#include "privacy_line.h"
#include "settle.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QCursor>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSignalSpy>
#include <QTest>

using namespace orbel;
using namespace orbel::test;
using namespace Qt::StringLiterals;
using pelorin::test::settle;

// The switch registers the program and shows what the system reports; a flip
// that cannot be written is logged once and snaps back.
TEST(OpenAtLoginRow, FlipsTheLoginItemFollowsItAndLogsAFlipThatFails)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.OpenAtLoginRowTest"));
    OpenAtLoginRow row(scratch.item, QColor(Qt::blue), OrbelEnvironment{});
    EXPECT_FALSE(row.toggle()->isChecked());
    row.toggle()->click();
    EXPECT_TRUE(scratch.item.isEnabled());
    EXPECT_TRUE(row.toggle()->isChecked());
    scratch.item.setEnabled(false);
    EXPECT_FALSE(row.toggle()->isChecked());

    // A file where the autostart folder should be: nothing can be written.
    const QString blocked = scratch.home.filePath(QStringLiteral("autostart"));
    ASSERT_TRUE(QDir(blocked).removeRecursively() && pelorin::test::writeFile(blocked, {}));
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

// A row keeps its title to one line, giving way to the control, which keeps
// its ideal size at the trailing edge, at least 8 from the title; the row is
// at least 32 high. A choice menu is titled by its selection, which picking
// writes, and the title follows.
TEST(SettingRow, ALongTitleGivesWayOnOneLineToTheControlAtTheTrailingEdge)
{
    QString sound = u"Chime"_s;
    auto *menu = ChoiceMenu::create<QString>(
        {[&] { return sound; }, [&](QString value) { sound = value; }}, {u"None"_s, u"Chime"_s, u"Bell"_s},
        [](const QString &value) { return value.toUpper(); }, OrbelEnvironment{});
    const QString title = u"Play a sound when a session ends on its own"_s;
    SettingRow setting(title, u"bell"_s, menu, OrbelEnvironment{});
    ActionRow action(title, u"bolt"_s, Qt::red, new QLabel(u"On"_s), OrbelEnvironment{});
    for (SettingRow *row : {&setting, static_cast<SettingRow *>(&action)}) {
        row->resize(240, row->sizeHint().height());
        row->show();
        settle();
        const QRect control = row->control()->geometry();
        EXPECT_EQ(control.right(), row->width() - 1);
        EXPECT_EQ(control.size(), row->control()->sizeHint());
        EXPECT_GE(control.left() - row->titleLabel()->geometry().right() - 1, 8);
        const TextLabel *label = row->titleLabel();
        EXPECT_LT(label->heightForWidth(label->width()), 2 * label->fontMetrics().lineSpacing());
        EXPECT_GE(row->height(), 32);
    }

    EXPECT_EQ(menu->text(), u"CHIME"_s);
    std::unique_ptr<QMenu> popup(menu->buildMenu());
    const QList<QAction *> actions = popup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions.at(1)->isChecked());
    actions.at(2)->trigger();
    EXPECT_EQ(sound, u"Bell"_s);
    EXPECT_EQ(spoken(menu), QStringList{u"button: BELL"_s}) << "named by the choice, and no more";
}

// The fill under the pointer, or as the override says, beats the suggested
// one; a disabled row shows neither. Screen readers hear the row as a button
// with its badge, value and hint, and can press it.
TEST(PanelActionRow, LightsUpWhenHoveredOrElseWhenSuggestedAndNeverWhenDisabled)
{
    enum Look { Plain, Hovered, Suggested };
    const struct {
        std::optional<bool> hovered;
        bool pointer;
        bool suggested;
        bool disabled;
        Look look;
    } rows[] = {
        {std::nullopt, false, false, false, Plain},
        {true, false, false, false, Hovered},
        {std::nullopt, false, true, false, Suggested},
        {std::nullopt, true, false, false, Hovered},
        {false, true, false, false, Plain},
        {true, false, true, false, Hovered},
        {true, true, true, true, Plain},
        {std::nullopt, false, true, true, Plain},
    };
    std::map<Look, QRgb> seen;
    int performed = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "look " << row.look << (row.pointer ? ", pointer over" : ""));
        // The pointer starts far from the window.
        QCursor::setPos(3000, 1100);
        QWidget window;
        auto *action = new PanelActionRow({.title = QStringLiteral("Keep awake"),
                                           .symbol = QStringLiteral("sun.max"),
                                           .brand = sampleBrand(),
                                           .isDisabled = row.disabled,
                                           .hovered = row.hovered,
                                           .isSuggested = row.suggested,
                                           .badge = u"3"_s,
                                           .value = u"On"_s,
                                           .hint = u"Starts a session"_s,
                                           .perform = [&performed] { ++performed; }},
                                          nullptr, OrbelEnvironment{}, &window);
        action->setFixedWidth(300);
        window.resize(320, 80);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QWidget *surface = action->actionButton();
        if (row.pointer)
            QTest::mouseMove(surface);
        settle();
        const QImage picture = drawn(surface);
        const QRgb fill = picture.pixel(picture.width() - 6, picture.height() / 2);
        if (!seen.contains(row.look))
            seen[row.look] = fill;
        EXPECT_EQ(fill, seen[row.look]);
        EXPECT_EQ(spoken(surface), QStringList{u"button: Keep awake, 3 = On (Starts a session)"_s});
        QAccessible::queryAccessibleInterface(surface)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        EXPECT_EQ(performed, row.disabled ? 0 : 1);
        performed = 0;
    }
    EXPECT_EQ(QSet<QRgb>({seen[Plain], seen[Hovered], seen[Suggested]}).size(), 3) << "three looks";
}

// One chip per key, a repeated key twice: as wide as the key's text and 8
// either side for a word, at least 20 square for a single character. Screen
// readers hear the keys joined by spaces.
TEST(KeyCaps, OneChipPerKeyAWordPaddedACharacterSquareReadAsTheKeys)
{
    const QList<QStringList> rows{{u"⌘"_s, u","_s}, {u"⌃"_s, u"⌃"_s, u"Q"_s}, {u"Esc"_s}, {u"⇧"_s, u"Space"_s}, {}};
    for (const QStringList &keys : rows) {
        SCOPED_TRACE(keys.join(u' ').toStdString());
        QWidget window;
        auto *caps = new KeyCaps(keys, OrbelEnvironment{}, &window);
        caps->resize(caps->sizeHint());
        window.show();
        EXPECT_EQ(QAccessible::queryAccessibleInterface(caps)->text(QAccessible::Name), keys.join(u' '));
        if (keys.isEmpty()) {
            EXPECT_TRUE(caps->sizeHint().isEmpty());
            continue;
        }
        const QList<QPair<int, int>> chips = paintedRuns(drawn(caps));
        ASSERT_EQ(chips.size(), keys.size());
        for (qsizetype index = 0; index < keys.size(); ++index) {
            const int text = caps->fontMetrics().horizontalAdvance(keys.at(index));
            EXPECT_EQ(chips.at(index).second, keys.at(index).size() > 1 ? std::max(20, text + 16) : std::max(20, text))
                << keys.at(index).toStdString();
        }
    }
}

// A shortcut in conflict shows the warning sign in the attention colour,
// edited or not; one being edited shows a pencil in the accent. With an editor
// the chip is a button named by the editor and valued by its keys (or the
// placeholder); without one it is read as the keys.
TEST(PanelShortcutKeys, ShowsConflictAndEditingAndReadsAsItsKeys)
{
    // Editing, in conflict, and the status symbol shown.
    const std::tuple<bool, bool, QString> rows[] = {
        {false, false, QString()},
        {true, false, u"pencil"_s},
        {false, true, u"exclamationmark.circle"_s},
        {true, true, u"exclamationmark.circle"_s},
    };
    const OrbelBrand brand = sampleBrand();
    for (const auto &[editing, conflict, symbol] : rows) {
        SCOPED_TRACE(symbol.toStdString());
        int edits = 0;
        PanelShortcutKeys chip({u"⌘"_s, u"K"_s}, std::nullopt, brand, editing, conflict, false,
                               PanelShortcutKeys::Editor{u"Shortcut"_s, u"Records a new one"_s, u"Click to change"_s,
                                                         [&edits] { ++edits; }},
                               OrbelEnvironment{});
        chip.show();
        EXPECT_EQ(chip.statusIcon()->isVisible() ? chip.statusIcon()->symbol() : QString(), symbol);
        EXPECT_EQ(chip.statusIcon()->tint(),
                  conflict ? BrandPalette::attention(ColorScheme::Light) : brand.accent(ColorScheme::Light));
        EXPECT_EQ(spoken(&chip), QStringList{u"button: Shortcut = ⌘ K (Records a new one)"_s});
        QTest::mouseClick(&chip, Qt::LeftButton);
        EXPECT_EQ(edits, 1);
    }
    PanelShortcutKeys unset({}, u"None"_s, brand, false, false, false,
                            PanelShortcutKeys::Editor{u"Shortcut"_s, {}, {}, {}}, OrbelEnvironment{});
    PanelShortcutKeys shown({u"⌘"_s, u"K"_s}, std::nullopt, brand, false, false, OrbelEnvironment{});
    unset.show();
    shown.show();
    EXPECT_EQ(spoken(&unset) + spoken(&shown), (QStringList{u"button: Shortcut = None"_s, u"text: ⌘ K"_s}));
}

// A notice without a control is heard as one element; with one, its text and
// the control are heard apart. The privacy line reads the brand's promise.
TEST(InlineNotice, IsOneElementUnlessItHoldsAControl)
{
    InlineNotice alone(NoticeKind::Info, u"Pelorin is off."_s, OrbelEnvironment{});
    InlineNotice withButton(NoticeKind::Warning, u"The login setting could not change."_s, OrbelEnvironment{},
                            new QPushButton(u"Try again"_s));
    std::unique_ptr<PrivacyLine> online(
        OrbelBrand(u"Test"_s, Qt::red, OrbelBrand::Connection::Online).privacyLine(OrbelEnvironment{}));
    for (QWidget *widget : std::initializer_list<QWidget *>{&alone, &withButton, online.get()})
        widget->show();
    EXPECT_EQ(spoken(&alone), QStringList{u"group: Pelorin is off."_s});
    EXPECT_EQ(spoken(&withButton),
              (QStringList{u"text: The login setting could not change."_s, u"button: Try again"_s}));
    EXPECT_EQ(spoken(online.get()), QStringList{u"text: No data collected"_s});
    EXPECT_EQ(online->symbol(), u"hand.raised"_s);
}
