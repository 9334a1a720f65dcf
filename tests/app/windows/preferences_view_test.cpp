// The preferences window's content over the application model: what the
// "Open at Login" switch and the status row show in every state of the login
// item, after a change that failed and while a change is under way, and how
// its texts and the welcome window's fit at either text size.
#include "windows_test_support.h"

#include "bordered_button.h"
#include "orbel_switch.h"
#include "preferences_state.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "text_fit.h"
#include "text_label.h"
#include "translations.h"
#include "welcome_steps_layout.h"

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

bool showsStatus(const PreferencesView &view)
{
    return !view.statusRow()->isHidden();
}

} // namespace

// The switch can be flipped unless a change is under way; at most one
// warning, and waiting for approval says more than a change that failed.
TEST(PreferencesState, OneWarningAndNoFlipWhileAChangeIsUnderWay)
{
    const QString approval = u"Allow Pelorin to open at login"_s;
    const QString failure = u"The login setting could not change"_s;
    const struct {
        LoginItemState state;
        bool busy;
        bool failed;
        bool switchEnabled;
        std::optional<QString> warning;
    } rows[] = {
        {LoginItemState::disabled, false, false, true, std::nullopt},
        {LoginItemState::enabled, true, false, false, std::nullopt},
        {LoginItemState::requiresApproval, false, false, true, approval},
        {LoginItemState::requiresApproval, true, true, false, approval},
        {LoginItemState::enabled, false, true, true, failure},
        {LoginItemState::unavailable, false, true, true, failure},
        {LoginItemState::unavailable, false, false, true, std::nullopt},
    };
    for (const auto &row : rows) {
        const PreferencesState shown = PreferencesState::of(row.state, row.busy, row.failed);
        EXPECT_EQ(shown.switchEnabled, row.switchEnabled) << int(row.state) << row.busy << row.failed;
        EXPECT_EQ(shown.warning, row.warning) << int(row.state) << row.busy << row.failed;
    }
}

// The window shows the value as the login item changes: a change that fails
// brings its warning; one under way holds the switch, which then shows the
// item as it now stands, and the warning goes.
TEST(PreferencesView, ShowsTheLoginItemAsItChanges)
{
    WindowsModel fixture;
    PreferencesView view(*fixture.model, orbel::OrbelEnvironment{});
    EXPECT_FALSE(showsStatus(view));
    fixture.failAChange();
    ASSERT_TRUE(showsStatus(view));
    EXPECT_EQ(view.statusRow()->title(), u"The login setting could not change"_s);
    EXPECT_FALSE(view.loginRow()->isOn());

    fixture.holdAChange(true);
    EXPECT_FALSE(view.loginRow()->toggle()->isEnabled());
    EXPECT_TRUE(view.statusRow()->actionButton()->isEnabled()) << "busy or not, the settings can open";
    fixture.releaseChange();
    EXPECT_TRUE(view.loginRow()->toggle()->isEnabled());
    EXPECT_TRUE(view.loginRow()->isOn());
    EXPECT_FALSE(showsStatus(view));
    fixture.setLoginState(LoginItemState::requiresApproval);
    EXPECT_EQ(view.statusRow()->title(), u"Allow Pelorin to open at login"_s);
}

// Both windows at both text sizes, in English and German, with the status
// row and its button showing: every text is whole at its role's size, the
// button's title is never shortened, and nothing leaves the page.
TEST(PreferencesView, BothWindowsKeepEveryTextWholeAtEitherSize)
{
    for (const QString &locale : {u"en_US"_s, u"de_DE"_s}) {
        installTranslations(locale);
        for (const orbel::TextSize size : {orbel::TextSize::Large, orbel::TextSize::Accessibility5}) {
            SCOPED_TRACE(locale.toStdString() + (size == orbel::TextSize::Large ? ", everyday" : ", largest"));
            WindowsModel fixture;
            fixture.failAChange();
            orbel::OrbelEnvironment environment;
            environment.textSize = size;
            PreferencesView preferences(*fixture.model, environment);
            WelcomeView welcome(*fixture.model, environment);
            for (QWidget *view : std::initializer_list<QWidget *>{&preferences, &welcome}) {
                view->show();
                view->resize(view->sizeHint());
            }
            settle();
            ASSERT_TRUE(showsStatus(preferences));
            test::expectTextsWhole(&preferences);
            test::expectTextsWhole(&welcome);
            // The row's title never stands smaller than its detail.
            const QList<orbel::TextLabel *> texts =
                preferences.statusRow()->texts()->findChildren<orbel::TextLabel *>();
            ASSERT_EQ(texts.size(), 2);
            const orbel::TextLabel *title = texts[0];
            const orbel::TextLabel *detail = texts[1];
            EXPECT_GE(title->fittedFont(title->width()).pixelSize(), detail->fittedFont(detail->width()).pixelSize());
            // The step number stands in its disc at the size of its text.
            const QWidget *badge = welcome.page()->badge();
            EXPECT_GE(badge->height(), QFontMetrics(badge->font()).height());
        }
    }
    installTranslations(u"en_US"_s);
}
