// The preferences window's content over the application model: what the
// "Open at Login" switch and the status row show in every state of the login
// item, after a change that failed and while a change is under way.
#include "windows_test_support.h"

#include "bordered_button.h"
#include "orbel_switch.h"
#include "preferences_status_row.h"
#include "preferences_toggle_row.h"

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
