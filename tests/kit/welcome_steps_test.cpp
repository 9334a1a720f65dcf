// The welcome kit: footer buttons, checklist rows and the steps page, drawn
// on their own (the window that hosts the page has its own tests).
#include "kit_test_support.h"
#include "preferences_test_support.h"

#include "accessibility_heading.h"
#include "accessibility_hidden.h"
#include "bordered_button.h"
#include "login_item.h"
#include "orbel_switch.h"
#include "permission_row.h"
#include "preferences_chrome.h"
#include "preferences_header.h"
#include "preferences_row.h"
#include "symbol_view.h"
#include "welcome_layout.h"
#include "welcome_step_row.h"
#include "welcome_steps_button.h"
#include "welcome_steps_layout.h"
#include "window_singletons.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>

using namespace orbel;
using namespace orbel::test;

namespace {

// The page as the program shows it, with a value and an action the test owns.
struct WelcomePage {
    BoundFlag opensAtLogin;
    int finished = 0;
    std::unique_ptr<WelcomeStepsLayout> page;

    explicit WelcomePage(WelcomeStepsLayout::Setup setup, const OrbelEnvironment &env = {})
    {
        page = std::make_unique<WelcomeStepsLayout>(std::move(setup), welcomeCard(env), env);
    }
    explicit WelcomePage(const OrbelEnvironment &env = {})
    {
        page = std::make_unique<WelcomeStepsLayout>(
            welcomeSetup(sampleBrand(), opensAtLogin.binding(), [this] { ++finished; }), welcomeCard(env), env);
    }
};

} // namespace

TEST(WelcomeButton, ADisabledButtonIgnoresClicksAndItsKey)
{
    int pressed = 0;
    QWidget window;
    auto *prominent = new WelcomeButton({QStringLiteral("Continue"), true, [&] { ++pressed; }}, sampleBrand(), true,
                                        environmentFor(ColorScheme::Light), &window);
    prominent->setDefault(true);
    prominent->setGeometry(QRect(QPoint(20, 20), prominent->sizeHint()));
    auto *bordered = new WelcomeButton({QStringLiteral("Back"), true, [&] { ++pressed; }}, sampleBrand(), false,
                                       environmentFor(ColorScheme::Light), &window);
    bordered->setGeometry(QRect(QPoint(200, 20), bordered->sizeHint()));
    window.resize(360, 100);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    EXPECT_FALSE(prominent->isEnabled());
    EXPECT_NEAR(prominent->fillColor().alphaF(), 0.5, 0.01) << "the fill at half strength";
    QTest::mouseClick(prominent, Qt::LeftButton);
    QTest::mouseClick(bordered, Qt::LeftButton);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(pressed, 0);

    prominent->setEnabled(true);
    EXPECT_NEAR(prominent->fillColor().alphaF(), 1.0, 0.01);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(pressed, 1);
    QTest::keyClick(&window, Qt::Key_Enter);
    EXPECT_EQ(pressed, 2);
}

TEST(WelcomeStepsLayout, ReturnPressesTheDefaultButtonAndTheSwitchWritesThrough)
{
    WelcomePage welcome;
    WelcomeStepsLayout &page = *welcome.page;
    page.resize(page.sizeHint());
    page.show();
    page.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&page));

    QTest::keyClick(&page, Qt::Key_Return);
    EXPECT_EQ(welcome.finished, 1);
    // Also while the switch has the focus.
    page.loginRow()->toggle()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(page.loginRow()->toggle(), Qt::Key_Return);
    EXPECT_EQ(welcome.finished, 2);
    EXPECT_EQ(welcome.opensAtLogin.writes, 0) << "Return does not touch the switch";

    QTest::mouseClick(page.loginRow()->toggle(), Qt::LeftButton);
    EXPECT_TRUE(welcome.opensAtLogin.value);
    EXPECT_EQ(welcome.opensAtLogin.writes, 1);
    EXPECT_EQ(welcome.finished, 2) << "the switch does nothing else";

    // The owner's value changes elsewhere; the page shows it once told.
    welcome.opensAtLogin.value = false;
    page.syncLoginSwitch();
    EXPECT_FALSE(page.loginRow()->isOn());
}

TEST(WelcomeLayout, ReturnRunsGetStartedAndTheSwitchShowsWhatChangedWhileHidden)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.WelcomeLayoutTest"));
    LoginItem &item = scratch.item;
    OrbelEnvironment env;
    env.reduceMotion = true;
    int started = 0;
    // Hosted by the kit's plain welcome window, which takes the page's size.
    QPointer<WelcomeLayout> hosted;
    const auto build = [&] {
        auto page = std::make_unique<WelcomeLayout>(
            WelcomeLayout::Setup{.brand = sampleBrand(),
                                 .title = QStringLiteral("Welcome to Pelorin"),
                                 .subtitle = QStringLiteral("Keep your Mac awake for as long as you choose."),
                                 .privacy = QStringLiteral("Your Mac, under your control"),
                                 .privacySymbol = QStringLiteral("checkmark.shield"),
                                 .start = [&] { ++started; }},
            nullptr,
            QList<QWidget *>{new PermissionRow(1, false, false, QStringLiteral("Notifications"),
                                               QStringLiteral("Tells you when a session ends."),
                                               QStringLiteral("Allow"), QColor(Qt::blue), {}, env)},
            item, env);
        hosted = page.get();
        return page;
    };
    WelcomeWindow::show(QStringLiteral("Welcome"), build);
    ASSERT_TRUE(hosted);
    WelcomeLayout &page = *hosted;
    QWidget *window = page.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->size(), QSize(480, page.heightForWidth(480)));

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(page.loginSwitch()->isChecked());

    // The system's settings turn the login item on while the page is hidden.
    WelcomeWindow::close();
    AutostartEntry(scratch.identity).enable();
    const QString entry = scratch.entryPath();
    const QDateTime written = QFileInfo(entry).lastModified();
    EXPECT_FALSE(page.loginSwitch()->isChecked());
    WelcomeWindow::show(QStringLiteral("Welcome"), build);
    EXPECT_TRUE(page.loginSwitch()->isChecked());
    EXPECT_EQ(QFileInfo(entry).lastModified(), written) << "looking registers nothing";

    // Flipping the switch unregisters at once.
    page.loginSwitch()->click();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(started, 1);
    WelcomeWindow::close();
}
