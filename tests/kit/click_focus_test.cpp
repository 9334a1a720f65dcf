// The kit's buttons act on a click without taking the keyboard focus, as the
// desktop's buttons and switches do: a pointer user never leaves the focus
// (and with it the next Space) on a control they cannot see focused.
#include "kit_test_support.h"

#include "preferences_choice_menu.h"
#include "preferences_pane_layout.h"
#include "welcome_button.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace orbel;
using namespace orbel::test;

TEST(ClickFocus, AClickOnAKitButtonActsWithoutTakingTheFocus)
{
    int pressed = 0;
    int pane = 0;
    int choice = 0;
    const struct {
        const char *control;
        std::function<QWidget *(QWidget *page)> make;
        std::function<bool()> acted;
    } rows[] = {
        {"a welcome button",
         [&](QWidget *page) {
             return new WelcomeButton({.title = QStringLiteral("Later"), .action = [&] { ++pressed; }}, sampleBrand(),
                                      false, OrbelEnvironment{}, page);
         },
         [&] { return pressed == 1; }},
        {"a prominent welcome button",
         [&](QWidget *page) {
             return new WelcomeButton({.title = QStringLiteral("Next"), .action = [&] { ++pressed; }}, sampleBrand(),
                                      true, OrbelEnvironment{}, page);
         },
         [&] { return pressed == 2; }},
        {"a sidebar pane button",
         [&](QWidget *page) {
             auto *layout = new PreferencesPaneLayout(
                 sampleBrand(),
                 {{QStringLiteral("General"), QStringLiteral("gearshape")},
                  {QStringLiteral("Sounds"), QStringLiteral("speaker.wave.2")}},
                 Binding<int>{[&] { return pane; }, [&](int index) { pane = index; }}, [] { return new QWidget; },
                 OrbelEnvironment{}, page);
             // The second pane's button.
             for (QAbstractButton *button : layout->findChildren<QAbstractButton *>()) {
                 if (button->accessibleName() == QStringLiteral("Sounds"))
                     return static_cast<QWidget *>(button);
             }
             return static_cast<QWidget *>(nullptr);
         },
         [&] { return pane == 1; }},
        {"a choice menu",
         [&](QWidget *page) {
             return PreferencesChoiceMenu::create<QString>(
                 QStringLiteral("Sound"),
                 Binding<QString>{[&] { return choice ? QStringLiteral("Bell") : QStringLiteral("Chime"); },
                                  [&](QString value) { choice = value == QStringLiteral("Bell"); }},
                 {QStringLiteral("Chime"), QStringLiteral("Bell")}, [](const QString &value) { return value; },
                 OrbelEnvironment{}, page);
         },
         [] { return qobject_cast<QMenu *>(QApplication::activePopupWidget()) != nullptr; }},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.control);
        QWidget page;
        auto *layout = new QVBoxLayout(&page);
        QWidget *control = row.make(&page);
        ASSERT_NE(control, nullptr);
        layout->addWidget(control);
        // The page itself holds the focus, as a window that just opened does.
        page.setFocus(Qt::ActiveWindowFocusReason);
        page.show();
        page.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&page));

        const QPoint centre = control->mapTo(&page, control->rect().center());
        QTest::mouseClick(page.windowHandle(), Qt::LeftButton, {}, centre);
        EXPECT_TRUE(row.acted());
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        QCoreApplication::processEvents();
        EXPECT_NE(QApplication::focusWidget(), control);
        EXPECT_EQ(QApplication::focusWidget(), &page);
    }
}
