// The kit's panel: its master switch, footer and keys, with content and
// actions the test owns.
#include "kit_test_support.h"

#include "orbel_panel.h"
#include "orbel_switch.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_header.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

namespace {

// What a panel's caller owns and what the panel asked of it.
struct Caller {
    bool armed = true;
    int guides = 0;
    int preferences = 0;

    OrbelPanel::Setup setup()
    {
        OrbelPanel::Setup setup{
            .brand = sampleBrand(),
            .status = QStringLiteral("Ready to start"),
            .dot = PanelStatus::Off,
            .isOn = {[this] { return armed; }, [this](bool on) { armed = on; }},
            .privacy = QStringLiteral("Your Mac, under your control"),
            .privacySymbol = QStringLiteral("checkmark.shield"),
            .showGuide = [this] { ++guides; },
            .showPreferences = [this] { ++preferences; },
        };
        return setup;
    }
};

QWidget *sampleContent(const OrbelEnvironment &environment)
{
    auto *card = new PanelCard(8, environment);
    card->addWidget(new QLabel(QStringLiteral("Content")));
    return card;
}

} // namespace

TEST(OrbelPanel, ADisabledSwitchCannotBeFlippedButTheRestWorks)
{
    Caller caller;
    OrbelPanel::Setup setup = caller.setup();
    setup.isSwitchEnabled = false;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(std::move(setup), sampleContent(environment), environment);
    layOut(&panel, 368);
    OrbelSwitch *master = panel.header()->masterSwitch();
    EXPECT_FALSE(master->isEnabled());
    QTest::mouseClick(master, Qt::LeftButton, {}, master->rect().center());
    QTest::keyClick(master, Qt::Key_Space);
    EXPECT_TRUE(caller.armed);
    EXPECT_TRUE(master->isChecked());

    panel.footer()->guideButton()->click();
    EXPECT_EQ(caller.guides, 1);

    panel.setSwitchEnabled(true);
    master->click();
    EXPECT_FALSE(caller.armed);
}

TEST(OrbelPanel, ControlCommaOpensPreferencesAndControlQQuits)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(), sampleContent(environment), environment);
    layOut(&panel, 368);
    panel.show();
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QSignalSpy quit(panel.footer()->quitButton(), &QAbstractButton::clicked);

    QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(caller.preferences, 1);
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(quit.size(), 1);
    // A comma without Ctrl is only a comma.
    QTest::keyClick(&panel, Qt::Key_Comma);
    EXPECT_EQ(caller.preferences, 1);
    panel.hide();
}
