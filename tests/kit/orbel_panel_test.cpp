// The kit's panel: its master switch, footer and keys, with content and
// actions the test owns.
#include "kit_test_support.h"

#include "orbel_panel.h"
#include "orbel_switch.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_header.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

namespace {

// A panel, shown and active, and what it asked of its caller.
class OrbelPanelTest : public testing::Test {
protected:
    void open(bool switchEnabled)
    {
        OrbelPanel::Setup setup{
            .brand = sampleBrand(),
            .isOn = {[this] { return armed; }, [this](bool on) { armed = on; }},
            .showGuide = [this] { ++guides; },
            .showPreferences = [this] { ++preferences; },
            .isSwitchEnabled = switchEnabled,
        };
        panel =
            std::make_unique<OrbelPanel>(std::move(setup), new QLabel(QStringLiteral("Content")), OrbelEnvironment{});
        panel->resize(panel->sizeHint());
        panel->show();
        panel->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(panel.get()));
    }

    bool armed = true;
    int guides = 0;
    int preferences = 0;
    std::unique_ptr<OrbelPanel> panel;
};

} // namespace

TEST_F(OrbelPanelTest, ADisabledSwitchCannotBeFlippedButTheRestWorks)
{
    open(false);
    OrbelSwitch *master = panel->header()->masterSwitch();
    EXPECT_FALSE(master->isEnabled());
    QTest::mouseClick(master, Qt::LeftButton);
    QTest::keyClick(master, Qt::Key_Space);
    EXPECT_TRUE(armed);
    EXPECT_TRUE(master->isChecked());

    panel->footer()->guideButton()->click();
    EXPECT_EQ(guides, 1);

    panel->setSwitchEnabled(true);
    master->click();
    EXPECT_FALSE(armed);
}

TEST_F(OrbelPanelTest, ControlCommaOpensPreferencesAndControlQQuits)
{
    open(true);
    QSignalSpy quit(panel->footer()->quitButton(), &QAbstractButton::clicked);
    QTest::keyClick(panel.get(), Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(preferences, 1);
    QTest::keyClick(panel.get(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.size(), 1);
    // A comma without Ctrl is only a comma.
    QTest::keyClick(panel.get(), Qt::Key_Comma);
    EXPECT_EQ(preferences, 1);
}
