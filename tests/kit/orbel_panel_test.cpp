#include "kit_test_support.h"

#include "login_item.h"
#include "orbel_panel.h"
#include "orbel_switch.h"
#include "panel_card.h"
#include "panel_footer.h"
#include "panel_footer_button.h"
#include "panel_header.h"

#include <QGuiApplication>
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
    QList<bool> focusReports;

    OrbelPanel::Setup setup(bool withPreferences = true)
    {
        OrbelPanel::Setup setup{
            .brand = sampleBrand(),
            .status = QStringLiteral("Ready to start"),
            .dot = PanelStatus::Off,
            .isOn = {[this] { return armed; }, [this](bool on) { armed = on; }},
            .privacy = QStringLiteral("Your Mac, under your control"),
            .privacySymbol = QStringLiteral("checkmark.shield"),
            .showGuide = [this] { ++guides; },
        };
        if (withPreferences) {
            setup.showPreferences = [this] { ++preferences; };
            setup.preferencesFocusChanged = [this](bool focused) { focusReports.append(focused); };
        }
        return setup;
    }
};

QWidget *sampleContent(const OrbelEnvironment &environment)
{
    auto *card = new PanelCard(8, environment);
    card->addWidget(new QLabel(QStringLiteral("Content")));
    return card;
}

QList<QString> footerButtonTitles(const OrbelPanel &panel)
{
    QList<QString> titles;
    for (auto *button : panel.footer()->findChildren<PanelFooterButton *>())
        titles.append(button->text());
    return titles;
}

bool showActive(QWidget &widget)
{
    widget.show();
    widget.activateWindow();
    return QTest::qWaitForWindowActive(&widget);
}

} // namespace

TEST(OrbelPanel, SwitchHelpFollowsTheState)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(), sampleContent(environment), environment);
    OrbelSwitch *master = panel.header()->masterSwitch();
    EXPECT_TRUE(master->isChecked());
    EXPECT_EQ(master->toolTip(), QStringLiteral("Turn off"));
    EXPECT_EQ(master->accessibleName(), QStringLiteral("Pelorin"));

    master->click();
    EXPECT_FALSE(caller.armed);
    EXPECT_EQ(master->toolTip(), QStringLiteral("Turn on"));

    // The owner turns it back on elsewhere.
    caller.armed = true;
    panel.syncSwitch();
    EXPECT_EQ(master->toolTip(), QStringLiteral("Turn off"));
}

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

TEST(OrbelPanel, FooterHasPreferencesOnlyWithAnAction)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel with(caller.setup(true), nullptr, environment);
    EXPECT_EQ(footerButtonTitles(with), (QList<QString>{QStringLiteral("Preferences"),
                                                        QStringLiteral("Getting Started"), QStringLiteral("Quit")}));
    EXPECT_EQ(with.footer()->preferencesButton()->symbol(), QStringLiteral("gearshape"));
    EXPECT_EQ(with.footer()->guideButton()->symbol(), QStringLiteral("questionmark.circle"));
    EXPECT_EQ(with.footer()->quitButton()->symbol(), QStringLiteral("power"));
    EXPECT_EQ(with.footer()->quitButton()->toolTip(), QStringLiteral("Quit"));
    EXPECT_EQ(with.footer()->quitButton()->accessibleName(), QStringLiteral("Quit"));

    OrbelPanel without(caller.setup(false), nullptr, environment);
    EXPECT_EQ(without.footer()->preferencesButton(), nullptr);
    EXPECT_EQ(footerButtonTitles(without), (QList<QString>{QStringLiteral("Getting Started"), QStringLiteral("Quit")}));

    EXPECT_EQ(PanelFooter::versionCaption(), QStringLiteral("Orbelwick (%1)").arg(QStringLiteral(ORBEL_VERSION)));
    EXPECT_EQ(PanelFooter::versionCaption(QString()), QStringLiteral("Orbelwick (?)"));
}

TEST(OrbelPanel, ControlCommaOpensPreferencesAndControlQQuits)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(true), sampleContent(environment), environment);
    layOut(&panel, 368);
    ASSERT_TRUE(showActive(panel));
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

TEST(OrbelPanel, ControlCommaDoesNothingWithoutPreferences)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(false), nullptr, environment);
    layOut(&panel, 368);
    ASSERT_TRUE(showActive(panel));
    QTest::keyClick(&panel, Qt::Key_Comma, Qt::ControlModifier);
    EXPECT_EQ(caller.preferences, 0);
    EXPECT_EQ(caller.guides, 0);
    panel.hide();
}

TEST(OrbelPanel, PreferencesButtonReportsFocusAndFalseOnceMoreOnClosing)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(true), sampleContent(environment), environment);
    layOut(&panel, 368);
    ASSERT_TRUE(showActive(panel));
    ASSERT_TRUE(caller.focusReports.isEmpty());

    panel.footer()->preferencesButton()->setFocus(Qt::TabFocusReason);
    panel.footer()->guideButton()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(caller.focusReports, (QList<bool>{true, false}));

    // Closing reports false again, whether or not it held focus.
    panel.hide();
    EXPECT_EQ(caller.focusReports, (QList<bool>{true, false, false}));

    // Shown again and closed without ever holding focus.
    caller.focusReports.clear();
    panel.show();
    panel.hide();
    EXPECT_EQ(caller.focusReports, (QList<bool>{false}));
}

TEST(OrbelPanel, IsThreeHundredSixtyEightWideAtEveryPixelRatio)
{
    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel panel(caller.setup(), sampleContent(environment), environment);
    layOut(&panel);
    EXPECT_EQ(panel.width(), 368);
    EXPECT_EQ(panel.minimumWidth(), 368);
    EXPECT_EQ(panel.maximumWidth(), 368);
    for (const qreal ratio : {1.0, 1.5, 2.0, 3.0})
        EXPECT_EQ(render(&panel, ratio).width(), qRound(368 * ratio));
}

TEST(OrbelPanel, StatusDotsTakeTheirColours)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        for (const PanelStatus status : allPanelStatuses) {
            Caller caller;
            OrbelPanel::Setup setup = caller.setup();
            setup.dot = status;
            const OrbelEnvironment environment = environmentFor(scheme);
            OrbelPanel panel(std::move(setup), nullptr, environment);
            layOut(&panel, 368);
            const QImage image = render(&panel);
            QWidget *dot = panel.header()->dot();
            const QPointF centre = QPointF(dot->mapTo(&panel, QPoint(0, 0))) + QPointF(4, 4);
            const QColor expected = panelStatusColor(status, scheme);
            // The translucent "off" colour lies on the background beside it; the others cover it.
            const QColor beside = pixel(image, centre - QPointF(7, 0));
            EXPECT_TRUE(colorNear(pixel(image, centre), composite(beside, expected), 3));
            if (status == PanelStatus::Working) {
                EXPECT_EQ(expected, PrivacyGreen::color(scheme));
            } else if (status == PanelStatus::Attention) {
                EXPECT_EQ(expected, BrandPalette::attention(scheme));
            } else if (status == PanelStatus::Recording) {
                EXPECT_EQ(expected, BrandPalette::red(scheme));
            }
        }
    }
}

TEST(OrbelPanel, StatusDotPanelsAreTintedAndColourDotPanelsAreNot)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        Caller caller;
        const OrbelEnvironment environment = environmentFor(scheme);
        auto *content = new PanelCard(8, environment);
        OrbelPanel tinted(caller.setup(), content, environment);
        layOut(&tinted, 368);
        EXPECT_EQ(content->environment().tint, sampleBrand().accent(scheme));
        const QImage image = render(&tinted);
        const QColor rgb = sampleBrand().color();
        const auto stops =
            BrandBackgroundRecipe::stops(Rgb{rgb.redF(), rgb.greenF(), rgb.blueF()}, scheme == ColorScheme::Dark);
        EXPECT_TRUE(colorNear(image.pixelColor(0, 0), stops[0].toColor()));

        auto *plainContent = new PanelCard(8, environment);
        OrbelPanel plain(OrbelPanel::Setup::withDotColor(sampleBrand(), QStringLiteral("Recording"), Qt::magenta,
                                                         caller.setup().isOn, QStringLiteral("Private"),
                                                         QStringLiteral("hand.raised"), [] {}),
                         plainContent, environment);
        layOut(&plain, 368);
        EXPECT_FALSE(plainContent->environment().tint.has_value());
        EXPECT_EQ(plain.dotColor(), QColor(Qt::magenta));
        EXPECT_EQ(render(&plain).pixelColor(0, 0).alpha(), 0);
    }
}

TEST(OrbelPanel, RefreshesTheLoginItemOnAppearOnlyWhenAsked)
{
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.PanelTest"));
    LoginItem &item = LoginItem::shared();
    ASSERT_FALSE(item.isEnabled());
    // Registered behind the shared item's back.
    AutostartIdentity identity;
    identity.appId = QStringLiteral("org.example.PanelTest");
    AutostartEntry entry(identity);
    entry.enable();

    Caller caller;
    const OrbelEnvironment environment = environmentFor(ColorScheme::Light);
    OrbelPanel quiet(caller.setup(), nullptr, environment);
    quiet.show();
    EXPECT_FALSE(item.isEnabled());
    quiet.hide();

    OrbelPanel refreshing(OrbelPanel::Setup::withDotColor(sampleBrand(), QString(), Qt::gray, caller.setup().isOn,
                                                          QString(), QString(), {}),
                          nullptr, environment);
    refreshing.show();
    EXPECT_TRUE(item.isEnabled());
    refreshing.hide();

    entry.disable();
    refreshing.show();
    EXPECT_FALSE(item.isEnabled());
    refreshing.hide();
}
