// The preferences window's content over the application model: what the
// "Open at Login" switch and the status row show in every state of the login
// item, and the window that the panel's preferences action opens.
#include "windows_test_support.h"

#include "bordered_button.h"
#include "orbel_switch.h"
#include "preferences_group.h"
#include "preferences_header.h"
#include "preferences_layout.h"
#include "preferences_note.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"
#include "text_label.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

const QString approvalTitle = u"Allow Pelorin to open at login"_s;
const QString failureTitle = u"The login setting could not change"_s;
const QString statusDetail = u"Review Pelorin in Login Items in System Settings."_s;

const char *nameOf(LoginItemState state)
{
    switch (state) {
    case LoginItemState::disabled:
        return "disabled";
    case LoginItemState::enabled:
        return "enabled";
    case LoginItemState::requiresApproval:
        return "requiresApproval";
    case LoginItemState::unavailable:
        return "unavailable";
    }
    return "?";
}

class PreferencesViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { quietPlatformWarnings(); }
};

} // namespace

TEST_F(PreferencesViewTest, TheStatusRowFollowsEveryStateOfTheLoginItem)
{
    const LoginItemState states[] = {LoginItemState::disabled, LoginItemState::enabled,
                                     LoginItemState::requiresApproval, LoginItemState::unavailable};
    for (const LoginItemState state : states) {
        for (const bool failed : {false, true}) {
            for (const bool busy : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << nameOf(state) << (failed ? ", failed" : "") << (busy ? ", busy" : ""));
                WindowsModel fixture;
                PreferencesView view(*fixture.model, orbel::OrbelEnvironment{});
                if (failed)
                    fixture.failAChange();
                fixture.setLoginState(state);
                if (busy)
                    fixture.holdAChange(!opensAtLogin(state));
                ASSERT_EQ(fixture.preferences().loginFailed(), failed);
                ASSERT_EQ(fixture.preferences().loginBusy(), busy);
                ASSERT_EQ(fixture.preferences().loginState(), state);

                // The switch reads on while approval is pending, and cannot be
                // flipped while a change is under way.
                EXPECT_EQ(view.loginRow()->isOn(), opensAtLogin(state));
                EXPECT_EQ(view.loginRow()->toggle()->isEnabled(), !busy);

                // Waiting for approval says more than a failure.
                orbel::PreferencesStatusRow *status = view.statusRow();
                if (state == LoginItemState::requiresApproval) {
                    ASSERT_TRUE(view.showsStatus());
                    EXPECT_EQ(status->title(), approvalTitle);
                } else if (failed) {
                    ASSERT_TRUE(view.showsStatus());
                    EXPECT_EQ(status->title(), failureTitle);
                } else {
                    EXPECT_FALSE(view.showsStatus());
                }
                if (view.showsStatus()) {
                    EXPECT_EQ(status->status(), orbel::PreferencesStatus::Warning);
                    EXPECT_EQ(status->detail(), statusDetail);
                    ASSERT_TRUE(status->hasAction());
                    EXPECT_EQ(status->actionButton()->text(), u"Open System Settings"_s);
                    EXPECT_TRUE(status->actionButton()->isEnabled()) << "busy or not, the settings can open";
                }

                if (busy) {
                    // The change goes through: the switch comes back, shows
                    // the new state, and the failure is forgotten.
                    const bool requested = fixture.login->requests.constLast();
                    fixture.releaseChange();
                    EXPECT_FALSE(fixture.preferences().loginBusy());
                    EXPECT_TRUE(view.loginRow()->toggle()->isEnabled());
                    EXPECT_EQ(view.loginRow()->isOn(), requested);
                    EXPECT_FALSE(view.showsStatus());
                }
            }
        }
    }
}

TEST_F(PreferencesViewTest, AFlipThatFailsSnapsBackAndSaysSo)
{
    WindowsModel fixture;
    PreferencesView view(*fixture.model, orbel::OrbelEnvironment{});
    fixture.login->hold = true;
    fixture.login->fail = true;

    view.loginRow()->toggle()->click();
    EXPECT_EQ(fixture.login->requests, QList<bool>{true});
    EXPECT_FALSE(view.loginRow()->toggle()->isEnabled());
    // A second flip while the first is under way is not even possible.
    view.loginRow()->toggle()->click();
    EXPECT_EQ(fixture.login->requests, QList<bool>{true});

    fixture.releaseChange();
    EXPECT_EQ(fixture.preferences().loginState(), LoginItemState::disabled);
    EXPECT_FALSE(view.loginRow()->isOn()) << "the switch shows the item as it stayed";
    EXPECT_TRUE(view.loginRow()->toggle()->isEnabled());
    ASSERT_TRUE(view.showsStatus());
    EXPECT_EQ(view.statusRow()->title(), failureTitle);

    // A change that then goes through clears the failure.
    fixture.login->fail = false;
    view.loginRow()->toggle()->click();
    EXPECT_TRUE(view.loginRow()->isOn());
    EXPECT_EQ(fixture.preferences().loginState(), LoginItemState::enabled);
    EXPECT_FALSE(view.showsStatus());
}
