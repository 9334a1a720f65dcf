// The kit's generic panel rows, key caps and the panel action row with its
// shortcut chip: layout rules, what they write and what screen readers hear.
#include "kit_test_support.h"

#include "accessibility_element.h"
#include "action_row.h"
#include "choice_menu.h"
#include "key_caps.h"
#include "login_item.h"
#include "open_at_login_row.h"
#include "orbel_switch.h"
#include "panel_action_row.h"
#include "panel_shortcut_keys.h"
#include "setting_row.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QMenu>
#include <QTest>

#include <map>

using namespace orbel;
using namespace orbel::test;

namespace {

const QString longTitle =
    QStringLiteral("Keep the display awake while a session runs, even when the battery is low and the lid is open");

QWidget *smallControl()
{
    auto *control = new QWidget;
    control->setFixedSize(16, 16);
    return control;
}

QAccessibleInterface *accessible(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

} // namespace

TEST(SettingRow, StandsAtLeast32HighAndCutsALongTitleBeforeTheControl)
{
    const OrbelEnvironment env = environmentFor(ColorScheme::Light);
    const std::vector<std::pair<const char *, std::function<SettingRow *(const QString &)>>> rows{
        {"setting",
         [&](const QString &title) { return new SettingRow(title, QStringLiteral("display"), smallControl(), env); }},
        {"action",
         [&](const QString &title) {
             return new ActionRow(title, QStringLiteral("gearshape"), QColor(Qt::red), smallControl(), env);
         }},
    };
    for (const auto &[kind, make] : rows) {
        SCOPED_TRACE(kind);
        std::unique_ptr<SettingRow> plain(make(QStringLiteral("Sound")));
        layOut(plain.get(), 240);
        EXPECT_EQ(plain->height(), 32);

        std::unique_ptr<SettingRow> row(make(longTitle));
        layOut(row.get(), 240);
        EXPECT_EQ(row->height(), 32) << "the long title keeps to one line";
        const QRect title = row->titleLabel()->geometry();
        const QRect control = row->control()->geometry();
        EXPECT_EQ(control.right(), row->width() - 1) << "the control keeps the trailing edge";
        EXPECT_EQ(control.size(), QSize(16, 16));
        EXPECT_GE(control.left() - title.right() - 1, 8);
        EXPECT_EQ(title.height(), row->titleLabel()->fontMetrics().height());
        EXPECT_EQ(row->icon()->width(), 20);
    }
}

TEST(OpenAtLoginRow, FlipsTheLoginItemAndFollowsIt)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.OpenAtLoginRowTest"));
    LoginItem &item = scratch.item;
    OpenAtLoginRow row(item, QColor(Qt::blue), environmentFor(ColorScheme::Light));
    EXPECT_EQ(row.toggle()->accessibleName(), QStringLiteral("Open at Login"));
    EXPECT_FALSE(row.toggle()->isChecked());

    row.toggle()->click();
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(row.toggle()->isChecked());
    item.setEnabled(false);
    EXPECT_FALSE(row.toggle()->isChecked()) << "the switch shows what the system reports";
}

TEST(ChoiceMenu, TitledByTheSelectionWhichPickingWritesAndTheTitleFollows)
{
    QString sound = QStringLiteral("Chime");
    QWidget holder;
    auto *menu = ChoiceMenu::create<QString>(
        Binding<QString>{[&] { return sound; }, [&](QString value) { sound = value; }},
        {QStringLiteral("None"), QStringLiteral("Chime"), QStringLiteral("Bell")},
        [](const QString &value) { return value.toUpper(); }, environmentFor(ColorScheme::Dark), &holder);
    EXPECT_EQ(menu->text(), QStringLiteral("CHIME"));
    EXPECT_EQ(menu->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);

    std::unique_ptr<QMenu> popup(menu->buildMenu());
    const QList<QAction *> actions = popup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_TRUE(actions.at(1)->isChecked());
    actions.at(2)->trigger();
    EXPECT_EQ(sound, QStringLiteral("Bell"));
    EXPECT_EQ(menu->text(), QStringLiteral("BELL"));
    EXPECT_EQ(accessible(menu)->text(QAccessible::Name), QStringLiteral("BELL"));
    EXPECT_TRUE(menu->accessibleDescription().isEmpty()) << "the name already says it";
}

TEST(KeyCaps, DrawsOneChipPerKeyAndReadsAsTheKeysJoinedBySpaces)
{
    const OrbelEnvironment env = environmentFor(ColorScheme::Light);
    KeyCaps pair({QStringLiteral("\u2318"), QStringLiteral(",")}, env);
    const QList<QRect> chips = pair.chipRects();
    ASSERT_EQ(chips.size(), 2);
    EXPECT_EQ(chips.at(0).size(), QSize(20, 20));
    EXPECT_EQ(chips.at(1).size(), QSize(20, 20));
    EXPECT_EQ(chips.at(1).left() - chips.at(0).right() - 1, 4);
    EXPECT_EQ(accessible(&pair)->text(QAccessible::Name), QStringLiteral("\u2318 ,"));
    EXPECT_EQ(accessible(&pair)->role(), QAccessible::StaticText);

    KeyCaps word({QStringLiteral("Esc"), QStringLiteral("Esc")}, env);
    const QList<QRect> words = word.chipRects();
    ASSERT_EQ(words.size(), 2) << "a repeated key is drawn twice";
    EXPECT_EQ(words.at(0).width(), word.fontMetrics().horizontalAdvance(QStringLiteral("Esc")) + 16);

    KeyCaps none({}, env);
    EXPECT_TRUE(none.chipRects().isEmpty());
    EXPECT_EQ(none.sizeHint(), QSize(0, 0));
    EXPECT_EQ(accessible(&none)->text(QAccessible::Name), QString());
}

TEST(PanelActionRow, FillsByHoverThenSuggestionAndNeverWhenDisabled)
{
    const OrbelBrand brand = sampleBrand();
    QColor hover = BrandPalette::primary(ColorScheme::Light);
    hover.setAlphaF(0.08f);
    QColor suggested = brand.color();
    suggested.setAlphaF(0.16f);
    struct Case {
        const char *name;
        std::optional<bool> hovered;
        bool pointerOver;
        bool isSuggested;
        bool isDisabled;
        QColor fill;
    };
    const Case cases[] = {
        {"at rest", std::nullopt, false, false, false, Qt::transparent},
        {"pointer over", std::nullopt, true, false, false, hover},
        {"override false under the pointer", false, true, true, false, suggested},
        {"override true without a pointer", true, false, false, false, hover},
        {"hover beats suggestion", std::nullopt, true, true, false, hover},
        {"suggested", std::nullopt, false, true, false, suggested},
        {"disabled and hovered", true, true, false, true, Qt::transparent},
        {"disabled and suggested", std::nullopt, false, true, true, Qt::transparent},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        int performed = 0;
        PanelActionRow row({.title = QStringLiteral("Start a session"),
                            .symbol = QStringLiteral("sun.max"),
                            .brand = brand,
                            .isDisabled = c.isDisabled,
                            .hovered = c.hovered,
                            .isSuggested = c.isSuggested,
                            .perform = [&] { ++performed; }},
                           nullptr, environmentFor(ColorScheme::Light));
        if (c.pointerOver) {
            QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
            QCoreApplication::sendEvent(row.actionButton(), &enter);
        }
        EXPECT_EQ(row.isPointerOver(), c.pointerOver);
        EXPECT_EQ(row.fillColor(), c.fill);
        layOut(&row, 300);
        const QImage image = render(&row, 1.0, Qt::white);
        EXPECT_TRUE(colorNear(pixel(image, QPointF(150, 2)), composite(Qt::white, c.fill)))
            << "the surface is drawn in its fill";
    }

    // Without an action the row only shows: no button, no pointer.
    PanelActionRow display({.title = QStringLiteral("Shortcuts"), .symbol = QStringLiteral("clock"), .brand = brand},
                           nullptr, environmentFor(ColorScheme::Light));
    EXPECT_EQ(display.actionButton(), nullptr);
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), QPointF(4, 4));
    QCoreApplication::sendEvent(display.actionPart(), &enter);
    EXPECT_FALSE(display.isPointerOver());
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
                       nullptr, environmentFor(ColorScheme::Dark));
    QAccessibleInterface *button = accessible(row.actionButton());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Keep awake, 3"));
    EXPECT_EQ(button->text(QAccessible::Value), QStringLiteral("On"));
    EXPECT_EQ(button->text(QAccessible::Description), QStringLiteral("Starts a session"));
    EXPECT_EQ(button->childCount(), 0);
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(performed, 1);
}

TEST(PanelActionRow, ReportsEachPartsFrameAndAgainWhenItChanges)
{
    const OrbelEnvironment env = environmentFor(ColorScheme::Light);
    auto *chip = new PanelShortcutKeys({QStringLiteral("\u2318"), QStringLiteral("K")}, std::nullopt, sampleBrand(),
                                       false, false, env);
    PanelActionRow row({.title = QStringLiteral("Start"),
                        .symbol = QStringLiteral("sun.max"),
                        .brand = sampleBrand(),
                        .perform = [] {}},
                       chip, env);
    std::map<PanelActionRowPart, QList<QRect>> reports;
    const auto record = [&](PanelActionRowPart part, QRect frame) { reports[part].append(frame); };
    row.resize(300, 36);
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));
    EXPECT_TRUE(reports.empty()) << "nothing is reported while no receiver is set";

    row.setOnLayout(record);
    for (const PanelActionRowPart part : allPanelActionRowParts) {
        ASSERT_EQ(reports[part].size(), 1);
        const QWidget *widget = row.part(part);
        EXPECT_EQ(reports[part].front(), QRect(widget->mapTo(&row, QPoint(0, 0)), widget->size()));
    }
    EXPECT_EQ(reports[PanelActionRowPart::Shortcut].front().right(), 299);
    EXPECT_EQ(reports[PanelActionRowPart::Action].front().left(), 0);
    EXPECT_EQ(reports[PanelActionRowPart::Icon].front().width(), 20);

    row.resize(400, 36);
    QCoreApplication::processEvents();
    EXPECT_EQ(reports[PanelActionRowPart::Action].size(), 2);
    EXPECT_EQ(reports[PanelActionRowPart::Action].back().width(), 400 - chip->width() - 12);
    EXPECT_EQ(reports[PanelActionRowPart::Text].size(), 2);
    EXPECT_EQ(reports[PanelActionRowPart::Shortcut].size(), 2);
    EXPECT_EQ(reports[PanelActionRowPart::Shortcut].back().right(), 399);
    EXPECT_EQ(reports[PanelActionRowPart::Icon].size(), 1) << "the icon did not move";
}

TEST(PanelShortcutKeys, TintsAndMarksAConflictOrAnEditAndReadsAsItsKeys)
{
    const OrbelBrand brand = sampleBrand();
    struct Case {
        bool isEditing;
        bool hasConflict;
        const char *symbol;
        bool attention;
    };
    const Case cases[] = {
        {false, false, "", false},
        {true, false, "pencil", false},
        {false, true, "exclamationmark.circle", true},
        {true, true, "exclamationmark.circle", true},
    };
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(testing::Message()
                         << schemeName(scheme) << " editing " << c.isEditing << " conflict " << c.hasConflict);
            PanelShortcutKeys chip({QStringLiteral("\u2318"), QStringLiteral("K")}, std::nullopt, brand, c.isEditing,
                                   c.hasConflict, false, PanelShortcutKeys::Editor{}, environmentFor(scheme));
            const QColor tint = c.attention ? BrandPalette::attention(scheme) : brand.accent(scheme);
            EXPECT_EQ(chip.tint(), tint);
            EXPECT_EQ(chip.statusSymbol(), QLatin1String(c.symbol));
            EXPECT_EQ(chip.statusIcon()->isVisibleTo(&chip), *c.symbol != '\0');
            EXPECT_EQ(chip.statusIcon()->tint(), tint);
            EXPECT_EQ(chip.fillColor().alpha(), c.isEditing || c.hasConflict ? 31 : 0);
        }
    }

    // A display reads as its keys, or as the placeholder in their place.
    PanelShortcutKeys keys({QStringLiteral("\u2325"), QStringLiteral("Space")}, std::nullopt, brand, false, true,
                           environmentFor(ColorScheme::Light));
    EXPECT_EQ(accessible(&keys)->text(QAccessible::Name), QStringLiteral("\u2325 Space"));
    EXPECT_EQ(accessible(&keys)->childCount(), 0);
    PanelShortcutKeys unset({}, QStringLiteral("Not set"), brand, false, false, environmentFor(ColorScheme::Light));
    EXPECT_EQ(accessible(&unset)->text(QAccessible::Name), QStringLiteral("Not set"));
    EXPECT_EQ(unset.keyCaps(), nullptr);

    // With an editor it is a button named by the editor, its keys the value.
    int edits = 0;
    PanelShortcutKeys editable({QStringLiteral("\u2318"), QStringLiteral("K")}, std::nullopt, brand, false, false,
                               false,
                               PanelShortcutKeys::Editor{QStringLiteral("Shortcut"), QStringLiteral("Press to record"),
                                                         QStringLiteral("Record a new shortcut"), [&] { ++edits; }},
                               environmentFor(ColorScheme::Light));
    QAccessibleInterface *button = accessible(&editable);
    EXPECT_EQ(button->role(), QAccessible::Button);
    EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("Shortcut"));
    EXPECT_EQ(button->text(QAccessible::Value), QStringLiteral("\u2318 K"));
    EXPECT_EQ(button->text(QAccessible::Description), QStringLiteral("Press to record"));
    EXPECT_EQ(editable.toolTip(), QStringLiteral("Record a new shortcut"));
    button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(edits, 1);
}
