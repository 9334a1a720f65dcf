// The preferences row kit: groups, switch rows, notes, status rows and the
// smaller members, in the states the preferences window puts them in.
#include "kit_test_support.h"
#include "preferences_test_support.h"

#include "accessibility_heading.h"
#include "accessibility_hidden.h"
#include "bordered_button.h"
#include "login_item.h"
#include "orbel_switch.h"
#include "preferences_choice_menu.h"
#include "preferences_focus_ring.h"
#include "preferences_group.h"
#include "preferences_note.h"
#include "preferences_row.h"
#include "preferences_status_row.h"
#include "preferences_value_row.h"
#include "symbol_view.h"

#include <QAccessible>
#include <QMenu>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

namespace {

QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

// Lays a row out in a group card, as the preferences page does.
void settle(QWidget *widget, int width = 496)
{
    layOut(widget, width);
    render(widget);
}

OrbelEnvironment tinted(ColorScheme scheme, TextSize size = TextSize::Large)
{
    OrbelEnvironment env = environmentFor(scheme);
    env.textSize = size;
    env.tint = sampleBrand().accent(scheme);
    return env;
}

} // namespace

TEST(PreferencesToggleRow, StandsAtLeast44HighAndPadsByItsNote)
{
    BoundFlag flag;
    const OrbelEnvironment env = tinted(ColorScheme::Light);
    PreferencesToggleRow plain(QStringLiteral("Open at Login"), std::nullopt, flag.binding(), env);
    settle(&plain, 464);
    EXPECT_EQ(plain.height(), 44);
    EXPECT_EQ(plain.noteLabel(), nullptr);
    EXPECT_EQ(plain.layout()->contentsMargins().top(), 4);
    // The switch sits at the trailing end, centred on the title.
    EXPECT_EQ(plain.toggle()->geometry().right(), plain.width() - 1);
    EXPECT_EQ(plain.toggle()->geometry().center().y(), plain.titleLabel()->geometry().center().y());
    EXPECT_EQ(plain.toggle()->x() - (plain.titleLabel()->geometry().right() + 1), 12);

    PreferencesToggleRow noted(QStringLiteral("Keep the display awake"),
                               QStringLiteral("Only while a session runs. The screen may still dim when the battery "
                                              "runs low, and a long note like this one wraps onto more lines."),
                               flag.binding(), env);
    settle(&noted, 464);
    ASSERT_NE(noted.noteLabel(), nullptr);
    EXPECT_EQ(noted.layout()->contentsMargins().top(), 8);
    EXPECT_EQ(noted.noteLabel()->color(), BrandPalette::primary70(ColorScheme::Light));
    EXPECT_EQ(noted.noteLabel()->y(), noted.titleLabel()->geometry().bottom() + 1 + 4);
    EXPECT_GT(noted.noteLabel()->height(), noted.titleLabel()->height()) << "the note wraps and the row grows";
    EXPECT_EQ(noted.height(), 8 + noted.titleLabel()->height() + 4 + noted.noteLabel()->height() + 8);
    EXPECT_EQ(noted.toggle()->size(), noted.toggle()->sizeHint()) << "the control never shrinks";
}

TEST(PreferencesToggleRow, ReadsAsOneSwitchNamedByItsTitleWithTheNoteAsHint)
{
    BoundFlag flag;
    PreferencesToggleRow row(QStringLiteral("Keep the display awake"), QStringLiteral("Only while a session runs."),
                             flag.binding(), tinted(ColorScheme::Light));
    EXPECT_EQ(row.toggle()->accessibleName(), QStringLiteral("Keep the display awake"));
    EXPECT_EQ(row.toggle()->accessibleDescription(), QStringLiteral("Only while a session runs."));
    EXPECT_TRUE(isAccessibilityHidden(row.titleLabel()));
    EXPECT_TRUE(isAccessibilityHidden(row.noteLabel()));
    QAccessibleInterface *toggle = QAccessible::queryAccessibleInterface(row.toggle());
    ASSERT_NE(toggle, nullptr);
    EXPECT_EQ(toggle->text(QAccessible::Name), QStringLiteral("Keep the display awake"));

    // A row whose control carries no name of its own keeps its texts readable.
    PreferencesRow named(QStringLiteral("Default length"), QStringLiteral("Used by new sessions."), false, new QWidget,
                         tinted(ColorScheme::Light));
    EXPECT_FALSE(isAccessibilityHidden(named.titleLabel()));
    EXPECT_TRUE(named.control()->accessibleDescription().isEmpty());
}

TEST(PreferencesToggleRow, WritesThroughItsBindingAndIsInertWhileDisabled)
{
    BoundFlag flag;
    PreferencesToggleRow row(QStringLiteral("Open at Login"), std::nullopt, flag.binding(), tinted(ColorScheme::Light));
    settle(&row, 464);
    row.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&row));

    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    EXPECT_TRUE(flag.value);
    EXPECT_TRUE(row.isOn());
    EXPECT_EQ(flag.writes, 1);

    // Busy: the switch reads as disabled and takes neither clicks nor keys.
    row.setEnabled(false);
    EXPECT_FALSE(row.toggle()->isEnabled());
    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    QTest::keyClick(row.toggle(), Qt::Key_Space);
    EXPECT_EQ(flag.writes, 1);
    EXPECT_TRUE(row.isOn());
    QAccessibleInterface *toggle = QAccessible::queryAccessibleInterface(row.toggle());
    EXPECT_TRUE(toggle->state().disabled);

    // The owner changes the value meanwhile; the row shows it once told.
    flag.value = false;
    row.syncFromBinding();
    EXPECT_FALSE(row.isOn());

    // Done: it answers again.
    row.setEnabled(true);
    QTest::mouseClick(row.toggle(), Qt::LeftButton);
    EXPECT_TRUE(flag.value);
    EXPECT_EQ(flag.writes, 2);

    // A refused change snaps back to what the owner holds.
    BoundFlag stubborn;
    PreferencesToggleRow refused(QStringLiteral("Refused"), std::nullopt,
                                 Binding<bool>{[&] { return stubborn.value; }, [&](bool) { ++stubborn.writes; }},
                                 tinted(ColorScheme::Light));
    refused.toggle()->click();
    EXPECT_EQ(stubborn.writes, 1);
    EXPECT_FALSE(refused.isOn());
}

TEST(PreferencesToggleRow, AtAnAccessibilityTextSizeTheSwitchMovesUnderTheTitle)
{
    BoundFlag flag;
    PreferencesToggleRow row(QStringLiteral("Open at Login"), std::nullopt, flag.binding(),
                             tinted(ColorScheme::Light, TextSize::Accessibility5));
    settle(&row, 464);
    EXPECT_TRUE(row.isStacked());
    EXPECT_EQ(row.toggle()->y(), row.titleLabel()->geometry().bottom() + 1 + 8);
    EXPECT_EQ(row.toggle()->geometry().right(), row.width() - 1) << "at the trailing edge";
    EXPECT_EQ(row.titleLabel()->width(), row.width()) << "the texts keep the full width";

    // The environment can change the size later; the row follows.
    row.setEnvironment(tinted(ColorScheme::Light));
    settle(&row, 464);
    EXPECT_FALSE(row.isStacked());
    EXPECT_EQ(row.toggle()->geometry().center().y(), row.titleLabel()->geometry().center().y());
}

TEST(PreferencesGroup, PutsItsRowsOnACardInsetBy16)
{
    BoundFlag flag;
    const OrbelEnvironment env = tinted(ColorScheme::Light);
    PreferencesGroup group(QStringLiteral("General"), env);
    auto *row = new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, flag.binding(), env);
    auto *note = new PreferencesNote(QStringLiteral("Opening Pelorin never starts a session."), env);
    group.addRow(row);
    group.addRow(note);
    settle(&group);

    EXPECT_TRUE(isAccessibilityHeading(group.titleLabel()));
    QAccessibleInterface *title = QAccessible::queryAccessibleInterface(group.titleLabel());
    EXPECT_EQ(title->role(), QAccessible::Heading);
    EXPECT_EQ(title->text(QAccessible::Name), QStringLiteral("General"));

    const QRect card = group.card()->geometry();
    EXPECT_EQ(card.top(), group.titleLabel()->geometry().bottom() + 1 + 8);
    EXPECT_EQ(card.width(), 496);
    // What the rows show stands 16 in from the card's sides, 8 from its top.
    const QRect toggle = geometryIn(row->toggle(), group.card());
    const QRect titleText = geometryIn(row->titleLabel(), group.card());
    EXPECT_EQ(titleText.left(), 16);
    EXPECT_EQ(toggle.right(), card.width() - 1 - 16);
    EXPECT_EQ(geometryIn(row, group.card()).top(), 8);
    EXPECT_EQ(geometryIn(note->label(), group.card()).left(), 16);
    EXPECT_EQ(geometryIn(note, group.card()).top(), geometryIn(row, group.card()).bottom() + 1) << "no spacing";
    EXPECT_EQ(card.height(), 8 + row->height() + note->height() + 8);
    EXPECT_EQ(note->label()->geometry().bottom() + 1 + 8, note->height()) << "8 below the note";

    // The ring of the switch has room on every side inside the row.
    ASSERT_TRUE(row->focusRing());
    EXPECT_TRUE(row->rect().contains(row->toggle()->geometry().adjusted(-4, -4, 4, 4)));

    // The card: the faint primary fill behind the rows.
    const QImage image = render(&group, 1.0, Qt::white);
    EXPECT_TRUE(colorNear(pixel(image, card.topLeft() + QPoint(40, 3)),
                          composite(Qt::white, BrandPalette::primary06(ColorScheme::Light)), 1));
    EXPECT_TRUE(colorNear(pixel(image, card.topLeft()), Qt::white, 1)) << "rounded corners";
}

TEST(PreferencesStatusRow, GoodNewsFollowsTheAccentAndWarningsTheSchemesAttentionColour)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        const OrbelEnvironment env = tinted(scheme);
        PreferencesStatusRow good(PreferencesStatus::Good, QStringLiteral("Title"), std::nullopt, env);
        EXPECT_EQ(good.icon()->tint(), sampleBrand().accent(scheme));
        EXPECT_TRUE(isAccessibilityHidden(good.icon()));
        PreferencesStatusRow warning(PreferencesStatus::Warning, QStringLiteral("Title"), std::nullopt, env);
        EXPECT_EQ(warning.icon()->tint(), BrandPalette::attention(scheme));
        EXPECT_EQ(warning.icon()->symbol(), QStringLiteral("exclamationmark.triangle"));
    }
}

TEST(PreferencesStatusRow, WeighsItsTitleByTheDetailAndOffersItsButtonBelow)
{
    const OrbelEnvironment env = tinted(ColorScheme::Light);
    int opened = 0;
    PreferencesStatusRow withAction(PreferencesStatus::Warning, QStringLiteral("Allow Pelorin to open at login"),
                                    QStringLiteral("Review Pelorin in Login Items in System Settings."),
                                    PreferencesAction{QStringLiteral("Open System Settings"), [&] { ++opened; }}, env);
    settle(&withAction, 464);
    EXPECT_EQ(withAction.titleLabel()->font().weight(), QFont::DemiBold);
    EXPECT_EQ(withAction.detailLabel()->color(), BrandPalette::primary70(ColorScheme::Light));
    ASSERT_TRUE(withAction.hasAction());
    BorderedButton *button = withAction.actionButton();
    EXPECT_EQ(button->text(), QStringLiteral("Open System Settings"));
    EXPECT_EQ(button->y(), withAction.texts()->geometry().bottom() + 1 + 12) << "12 below the texts";
    EXPECT_EQ(button->x(), withAction.texts()->x());
    EXPECT_EQ(withAction.height(), button->geometry().bottom() + 1 + 12) << "padded 12";
    EXPECT_EQ(withAction.texts()->y(), 12);
    button->click();
    EXPECT_EQ(opened, 1);
    EXPECT_TRUE(withAction.rect().contains(button->geometry().adjusted(-4, -4, 4, 4))) << "room for its ring";

    // Screen readers hear the texts as one element and the button apart.
    EXPECT_EQ(withAction.texts()->accessibleName(), QStringLiteral("Allow Pelorin to open at login"));
    EXPECT_EQ(withAction.texts()->accessibleDescription(),
              QStringLiteral("Review Pelorin in Login Items in System Settings."));
    EXPECT_TRUE(isAccessibilityHidden(withAction.titleLabel()));

    PreferencesStatusRow plain(PreferencesStatus::Good, QStringLiteral("Pelorin opens at login"), std::nullopt, env);
    settle(&plain, 464);
    EXPECT_EQ(plain.titleLabel()->font().weight(), QFont::Normal);
    EXPECT_FALSE(plain.hasAction());
    EXPECT_EQ(plain.actionButton(), nullptr);
    EXPECT_FALSE(plain.detailLabel()->isVisible());
    EXPECT_EQ(plain.height(), 12 + plain.texts()->height() + 12) << "no room kept for a button";

    // The window moves a row from one state to another.
    withAction.setTitle(QStringLiteral("The login setting could not change"));
    EXPECT_EQ(withAction.texts()->accessibleName(), QStringLiteral("The login setting could not change"));
    withAction.setDetail(std::nullopt);
    EXPECT_EQ(withAction.titleLabel()->font().weight(), QFont::Normal);
    withAction.setStatus(PreferencesStatus::Waiting);
    EXPECT_EQ(withAction.icon()->symbol(), QStringLiteral("clock"));
}

TEST(PreferencesFocusRing, FollowsItsControlIntoANewParent)
{
    const OrbelEnvironment env = tinted(ColorScheme::Light);
    QWidget first;
    QWidget second;
    auto *control = new QWidget;
    preferencesFocusRing(control, RingShape::capsule(), env);
    EXPECT_EQ(preferencesFocusRingOf(control), nullptr) << "no parent, no ring yet";
    EXPECT_EQ(control->focusPolicy(), Qt::TabFocus);

    control->setParent(&first);
    ASSERT_NE(preferencesFocusRingOf(control), nullptr);
    EXPECT_EQ(preferencesFocusRingOf(control)->parentWidget(), &first);

    control->setParent(&second);
    ASSERT_NE(preferencesFocusRingOf(control), nullptr);
    EXPECT_EQ(preferencesFocusRingOf(control)->parentWidget(), &second);
    EXPECT_EQ(preferencesFocusRingOf(control)->control(), control);
    EXPECT_TRUE(first.findChildren<BrandFocusRing *>().isEmpty());

    // Asking twice gives one ring.
    preferencesFocusRing(control, RingShape::capsule(), env);
    EXPECT_EQ(second.findChildren<BrandFocusRing *>().size(), 1);
}

TEST(PreferencesChoiceMenu, ListsTheOptionsInOrderAndWritesTheChoice)
{
    int minutes = 30;
    QWidget holder;
    auto *menu = PreferencesChoiceMenu::create<int>(
        QStringLiteral("Default length"), Binding<int>{[&] { return minutes; }, [&](int value) { minutes = value; }},
        QList<int>{15, 30, 60}, [](const int &value) { return QStringLiteral("%1 min").arg(value); },
        tinted(ColorScheme::Light), &holder);
    EXPECT_EQ(menu->text(), QStringLiteral("30 min"));
    EXPECT_EQ(menu->accessibleName(), QStringLiteral("Default length"));
    EXPECT_EQ(menu->accessibleDescription(), QStringLiteral("30 min"));
    EXPECT_NE(menu->focusRing(), nullptr);

    QMenu *popup = menu->buildMenu();
    const QList<QAction *> actions = popup->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions.at(0)->text(), QStringLiteral("15 min"));
    EXPECT_EQ(actions.at(2)->text(), QStringLiteral("60 min"));
    EXPECT_TRUE(actions.at(1)->isChecked());
    EXPECT_FALSE(actions.at(0)->isChecked());
    actions.at(2)->trigger();
    EXPECT_EQ(minutes, 60);
    EXPECT_EQ(menu->text(), QStringLiteral("60 min"));
    EXPECT_EQ(menu->accessibleDescription(), QStringLiteral("60 min"));
    delete popup;
}

TEST(PreferencesLoginRow, RegistersAndUnregistersThroughItsLoginItem)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.PreferencesLoginRowTest"));
    LoginItem &item = scratch.item;
    PreferencesLoginRow row(item, tinted(ColorScheme::Light));
    EXPECT_EQ(row.title(), QStringLiteral("Open at Login"));
    EXPECT_FALSE(row.note());
    EXPECT_FALSE(row.isOn());

    row.toggle()->click();
    EXPECT_TRUE(item.isEnabled());
    EXPECT_TRUE(QFile::exists(scratch.entryPath()));
    item.setEnabled(false);
    EXPECT_FALSE(row.isOn()) << "the switch follows the item";
}

TEST(PreferencesValueRow, ReadsTitleAndValueTogether)
{
    PreferencesValueRow row(QStringLiteral("Version"), QStringLiteral("1.0.0"), tinted(ColorScheme::Dark));
    settle(&row, 464);
    EXPECT_GE(row.height(), 32);
    EXPECT_EQ(row.accessibleName(), QStringLiteral("Version, 1.0.0"));
    EXPECT_EQ(row.titleLabel()->color(), BrandPalette::primary70(ColorScheme::Dark));
    EXPECT_EQ(row.valueLabel()->geometry().right(), row.width() - 1);
    row.setValue(QStringLiteral("1.0.1"));
    EXPECT_EQ(row.accessibleName(), QStringLiteral("Version, 1.0.1"));
}
