// The welcome window's content and its route: one step, the switch shared
// with the preferences window, and "Let’s go" and Return, which close the
// window and change nothing else (Ctrl+W is the window host's, tested in the
// kit).
#include "windows_test_support.h"

#include "test_files.h"

#include "orbel_switch.h"
#include "preferences_toggle_row.h"
#include "welcome_button.h"
#include "welcome_steps_layout.h"

using namespace pelorin;
using namespace pelorin::windowstest;

using pelorin::test::readFile;

TEST(WelcomeView, LetsGoAndReturnCloseTheWindowAndChangeNothingElse)
{
    WindowsModel fixture;
    fixture.setLoginState(LoginItemState::enabled);
    showWelcome(*fixture.model);
    settle();
    WelcomeView *view = shownView<WelcomeView>();
    ASSERT_NE(view, nullptr);
    QWidget *window = view->window();
    const QByteArray settings = readFile(fixture.settingsPath());
    ASSERT_TRUE(settings.contains("seenWelcome=true"));

    const auto expectNothingElseChanged = [&] {
        EXPECT_EQ(readFile(fixture.settingsPath()), settings);
        EXPECT_TRUE(fixture.login->requests.isEmpty());
        EXPECT_EQ(fixture.preferences().loginState(), LoginItemState::enabled);
        EXPECT_TRUE(fixture.preferences().armed());
        EXPECT_TRUE(fixture.preferences().hasSeenWelcome());
        EXPECT_EQ(fixture.model->countdown().state().kind(), SessionState::Kind::inactive);
        EXPECT_TRUE(fixture.service->calls.empty());
        EXPECT_EQ(builtWindows<WelcomeView>(), 1) << "the window is kept for next time";
    };

    ASSERT_TRUE(activate(window));
    click(view->page()->primaryButton());
    EXPECT_FALSE(window->isVisible());
    expectNothingElseChanged();

    // Return: the default button, whatever holds the focus.
    showWelcome(*fixture.model);
    settle();
    EXPECT_EQ(shownView<WelcomeView>(), view);
    ASSERT_TRUE(activate(window));
    view->page()->loginRow()->toggle()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(fixture.login->requests.isEmpty()) << "Return did not flip the focused switch";
    // Re-opened the settings file says the same: every route marks the
    // welcome as seen again, which it already was.
    expectNothingElseChanged();
}
