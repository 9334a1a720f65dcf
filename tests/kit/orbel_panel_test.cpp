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

// A panel with a disabled master switch: it cannot be flipped, but the
// footer and the keys still reach their actions; enabled, it flips.
TEST(OrbelPanel, ADisabledSwitchCannotBeFlippedButTheFooterAndKeysWork)
{
    bool armed = true;
    int guides = 0;
    int preferences = 0;
    OrbelPanel panel(OrbelPanel::Setup{
                         .brand = sampleBrand(),
                         .isOn = {[&armed] { return armed; }, [&armed](bool on) { armed = on; }},
                         .showGuide = [&guides] { ++guides; },
                         .showPreferences = [&preferences] { ++preferences; },
                         .isSwitchEnabled = false,
                     },
                     new QLabel(QStringLiteral("Content")), OrbelEnvironment{});
    panel.resize(panel.sizeHint());
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));

    OrbelSwitch *master = panel.header()->masterSwitch();
    EXPECT_FALSE(master->isEnabled());
    QTest::mouseClick(master, Qt::LeftButton);
    QTest::keyClick(master, Qt::Key_Space);
    EXPECT_TRUE(armed);
    EXPECT_TRUE(master->isChecked());

    panel.footer()->guideButton()->click();
    EXPECT_EQ(guides, 1);
    QSignalSpy quit(panel.footer()->quitButton(), &QAbstractButton::clicked);
    QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(preferences, 1);
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.size(), 1);
    // A comma without Ctrl is only a comma.
    QTest::keyClick(&panel, Qt::Key_Comma);
    EXPECT_EQ(preferences, 1);

    panel.setSwitchEnabled(true);
    master->click();
    EXPECT_FALSE(armed);
}
