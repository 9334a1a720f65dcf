// The preferences window's content over the application model: what the
// "Open at Login" switch and the status row show in every state of the login
// item, after a change that failed and while a change is under way, and how
// its texts and the welcome window's fit at either text size.
#include "windows_test_support.h"

#include "bordered_button.h"
#include "orbel_switch.h"
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

TEST(PreferencesView, TheStatusRowFollowsEveryStateOfTheLoginItem)
{
    // The switch reads on while approval is pending; waiting for approval
    // says more than a failure. A failed change leaves the switch showing the
    // item as it stayed.
    const struct {
        const char *name;
        LoginItemState state;
        bool switchOn;
    } states[] = {
        {"disabled", LoginItemState::disabled, false},
        {"enabled", LoginItemState::enabled, true},
        {"requiresApproval", LoginItemState::requiresApproval, true},
        {"unavailable", LoginItemState::unavailable, false},
    };
    for (const auto &row : states) {
        for (const bool failed : {false, true}) {
            for (const bool busy : {false, true}) {
                SCOPED_TRACE(testing::Message() << row.name << (failed ? ", failed" : "") << (busy ? ", busy" : ""));
                WindowsModel fixture;
                PreferencesView view(*fixture.model, orbel::OrbelEnvironment{});
                if (failed)
                    fixture.failAChange();
                fixture.setLoginState(row.state);
                if (busy)
                    fixture.holdAChange(!row.switchOn);
                ASSERT_EQ(fixture.preferences().loginBusy(), busy);

                EXPECT_EQ(view.loginRow()->isOn(), row.switchOn);
                EXPECT_EQ(view.loginRow()->toggle()->isEnabled(), !busy);
                const bool awaitsApproval = row.state == LoginItemState::requiresApproval;
                ASSERT_EQ(showsStatus(view), awaitsApproval || failed);
                if (showsStatus(view)) {
                    orbel::PreferencesStatusRow *status = view.statusRow();
                    EXPECT_EQ(status->title(), awaitsApproval ? u"Allow Pelorin to open at login"_s
                                                              : u"The login setting could not change"_s);
                    ASSERT_TRUE(status->hasAction());
                    EXPECT_TRUE(status->actionButton()->isEnabled()) << "busy or not, the settings can open";
                }

                if (busy) {
                    // The change goes through: the switch comes back, shows
                    // the new state, and the failure is forgotten.
                    fixture.releaseChange();
                    EXPECT_TRUE(view.loginRow()->toggle()->isEnabled());
                    EXPECT_EQ(view.loginRow()->isOn(), !row.switchOn);
                    EXPECT_FALSE(showsStatus(view));
                }
            }
        }
    }
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
