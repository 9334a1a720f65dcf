// The kit's preferences pages as screen readers and pointer users meet them:
// the rows of a card, and the sidebar layout's panes.
#include "kit_test_support.h"

#include "orbel_switch.h"
#include "preferences_choice_menu.h"
#include "preferences_group.h"
#include "preferences_login_row.h"
#include "preferences_note.h"
#include "preferences_pane_layout.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "preferences_value_row.h"
#include "settle.h"

#include <QAccessibleActionInterface>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <iostream>

using namespace orbel;
using namespace orbel::test;
using pelorin::test::settle;

// Each row is heard once: a switch under its row's title with the note as its
// description, a value row as title and value together, a status row's texts
// as one element before its button, a choice under its title with the chosen
// option. A click opens the choice without taking the focus.
TEST(PreferencesRows, EachRowIsHeardOnceUnderItsOwnName)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.PreferencesRowsTest"));
    bool display = true;
    QString sound = QStringLiteral("Chime");
    const OrbelEnvironment environment;
    PreferencesGroup group(QStringLiteral("General"), environment);
    group.addRow(new PreferencesToggleRow(QStringLiteral("Keep the display on"),
                                          QStringLiteral("Only while a session runs."),
                                          {[&] { return display; }, [&](bool on) { display = on; }}, environment));
    auto *login = new PreferencesLoginRow(scratch.item, environment);
    group.addRow(login);
    group.addRow(new PreferencesValueRow(QStringLiteral("Version"), QStringLiteral("1.2.0"), environment));
    auto *menu = PreferencesChoiceMenu::create<QString>(
        QStringLiteral("Sound"), {[&] { return sound; }, [&](QString value) { sound = value; }},
        {QStringLiteral("Chime"), QStringLiteral("Bell")}, [](const QString &value) { return value; }, environment);
    group.addRow(new PreferencesRow(QStringLiteral("Sound"), std::nullopt, false, menu, environment));
    group.addRow(new PreferencesStatusRow(PreferencesStatus::Warning, QStringLiteral("Allow Pelorin to open at login"),
                                          QStringLiteral("The desktop asks first."),
                                          {QStringLiteral("Open Settings"), {}}, environment));
    group.addRow(new PreferencesNote(QStringLiteral("Changes apply at once."), environment));
    group.show();
    settle();
    EXPECT_EQ(spoken(&group), (QStringList{
                                  QStringLiteral("heading: General"),
                                  QStringLiteral("switch: Keep the display on (Only while a session runs.)"),
                                  QStringLiteral("switch: Open at Login"),
                                  QStringLiteral("group: Version, 1.2.0"),
                                  QStringLiteral("text: Sound"),
                                  QStringLiteral("button: Sound (Chime)"),
                                  QStringLiteral("group: Allow Pelorin to open at login (The desktop asks first.)"),
                                  QStringLiteral("button: Open Settings"),
                                  QStringLiteral("text: Changes apply at once."),
                              }));

    group.setFocus();
    QTest::mouseClick(menu, Qt::LeftButton);
    QWidget *popup = QApplication::activePopupWidget();
    ASSERT_NE(qobject_cast<QMenu *>(popup), nullptr);
    popup->close();
    EXPECT_EQ(group.focusWidget(), &group);

    // The login row registers the program at once.
    QAccessible::queryAccessibleInterface(login->toggle())
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(scratch.item.isEnabled());
    EXPECT_TRUE(QFileInfo::exists(scratch.entryPath()));
}

// The detail column is headed by the title of the first pane whose
// identifier is the selection, and shows the content built for it; that
// pane's row reads as selected. A selection no pane has heads nothing and
// selects no row, but still gets its content. A click anywhere in a row
// selects its pane without taking the focus, and so does Space on a focused
// row.
TEST(PreferencesPaneLayout, TheFirstPaneOfTheSelectionHeadsItsContentAndReadsSelected)
{
    QString selection;
    QStringList built;
    std::unique_ptr<PreferencesPaneLayout> layout(PreferencesPaneLayout::create<QString>(
        sampleBrand(),
        {{QStringLiteral("general"), QStringLiteral("General"), QStringLiteral("gearshape")},
         {QStringLiteral("sounds"), QStringLiteral("Sounds"), QStringLiteral("speaker.wave.2")},
         {QStringLiteral("sounds"), QStringLiteral("Alerts"), QStringLiteral("bell")}},
        {[&] { return selection; }, [&](QString id) { selection = id; }},
        [&](const QString &id) {
            built << id;
            return new QLabel(QStringLiteral("About ") + id);
        },
        OrbelEnvironment{}));
    layout->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(layout.get()));
    const auto heard = [&](const QString &selected, const QString &heading) {
        QStringList lines;
        for (const QString &pane : {QStringLiteral("General"), QStringLiteral("Sounds"), QStringLiteral("Alerts")})
            lines << QStringLiteral("button: ") + pane + (pane == selected ? QStringLiteral(" [selected]") : QString());
        if (!heading.isEmpty())
            lines << QStringLiteral("heading: ") + heading;
        return lines << QStringLiteral("text: About ") + selection;
    };
    // Each selection and the title that heads it.
    const QList<QPair<QString, QString>> rows{{QStringLiteral("general"), QStringLiteral("General")},
                                              {QStringLiteral("sounds"), QStringLiteral("Sounds")},
                                              {QStringLiteral("nothing"), QString()}};
    for (const auto &[selected, heading] : rows) {
        SCOPED_TRACE(selected.toStdString());
        selection = selected;
        layout->syncFromBinding();
        settle();
        EXPECT_EQ(spoken(layout.get()), heard(heading, heading));
        EXPECT_EQ(built.constLast(), selected);
    }

    const auto pane = [&](const QString &title) {
        const QList<QAbstractButton *> buttons = layout->findChildren<QAbstractButton *>();
        return *std::find_if(buttons.begin(), buttons.end(), [&](auto *button) { return button->text() == title; });
    };
    QAbstractButton *general = pane(QStringLiteral("General"));
    layout->setFocus();
    QTest::mouseClick(general, Qt::LeftButton, {}, QPoint(general->width() - 3, general->height() / 2));
    EXPECT_EQ(selection, QStringLiteral("general"));
    EXPECT_EQ(layout->focusWidget(), layout.get()) << "a click acts without taking the focus";
    EXPECT_EQ(spoken(layout.get()), heard(QStringLiteral("General"), QStringLiteral("General")));
    pane(QStringLiteral("Alerts"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pane(QStringLiteral("Alerts")), Qt::Key_Space);
    EXPECT_EQ(selection, QStringLiteral("sounds"));
    EXPECT_EQ(spoken(layout.get()), heard(QStringLiteral("Sounds"), QStringLiteral("Sounds")));
}
