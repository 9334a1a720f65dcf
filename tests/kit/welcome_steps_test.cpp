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

QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

OrbelBrand brandOf(const QColor &color)
{
    return OrbelBrand(QStringLiteral("Test"), color, OrbelBrand::Connection::Offline);
}

// The sRGB grey whose relative luminance is `luminance`.
QColor greyOfLuminance(double luminance)
{
    const double encoded = luminance <= 0.0031308 ? 12.92 * luminance : 1.055 * std::pow(luminance, 1.0 / 2.4) - 0.055;
    return QColor::fromRgbF(float(encoded), float(encoded), float(encoded));
}

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

TEST(WelcomeButton, LabelsTheProminentFillInWhiteOrBlackByContrast)
{
    EXPECT_EQ(WelcomeButton::labelColor(brandOf(Qt::white)), QColor(Qt::black));
    EXPECT_EQ(WelcomeButton::labelColor(brandOf(Qt::black)), QColor(Qt::white));
    EXPECT_EQ(WelcomeButton::labelColor(brandOf(greyOfLuminance(0.179))), QColor(Qt::white));
    EXPECT_EQ(WelcomeButton::labelColor(brandOf(greyOfLuminance(0.18))), QColor(Qt::black));

    // On screen: a dark brand gets white letters on its own colour, in either
    // scheme; a bordered button keeps the scheme's text colour.
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        const QColor navy(24, 40, 120);
        WelcomeButton prominent({QStringLiteral("Let\u2019s go"), false, {}}, brandOf(navy), true,
                                environmentFor(scheme));
        prominent.resize(prominent.sizeHint());
        const QImage image = render(&prominent);
        EXPECT_GT(countPixels(image, Qt::white, 10), 20) << "white letters";
        EXPECT_TRUE(colorNear(pixel(image, QPointF(prominent.width() / 2.0, prominent.height() - 4)), navy, 12));

        WelcomeButton bordered({QStringLiteral("Back"), false, {}}, brandOf(navy), false, environmentFor(scheme));
        EXPECT_EQ(bordered.labelColor(), BrandPalette::primary(scheme));
    }
}

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

TEST(WelcomeButton, ALongTitleStaysOnOneLineAndTheButtonGrows)
{
    const OrbelEnvironment env;
    WelcomeButton shortOne({QStringLiteral("Go"), false, {}}, sampleBrand(), true, env);
    WelcomeButton longOne({QStringLiteral("Continue to the very last step of the tour"), false, {}}, sampleBrand(),
                          true, env);
    EXPECT_EQ(longOne.sizeHint().height(), shortOne.sizeHint().height());
    EXPECT_GT(longOne.sizeHint().width(), longOne.fontMetrics().horizontalAdvance(longOne.text()));
    EXPECT_GE(shortOne.sizeHint().height(), 25 + 8) << "an extra-large control around a label of at least 25";
    EXPECT_EQ(longOne.sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    EXPECT_EQ(shortOne.focusRing(), nullptr);
    QWidget holder;
    shortOne.setParent(&holder);
    ASSERT_NE(shortOne.focusRing(), nullptr) << "a ring once the button has a parent";
    EXPECT_EQ(shortOne.focusRing()->parentWidget(), &holder);
    shortOne.setParent(nullptr);
}

TEST(WelcomeStepRow, ShowsWhatItsStateAllows)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        const OrbelEnvironment env = environmentFor(scheme);
        const WelcomeStepsButton allow{QStringLiteral("Allow"), false, {}};

        WelcomeStepRow done(WelcomeStepState::Done, sampleBrand(), QStringLiteral("All set"), allow,
                            new TextLabel(QStringLiteral("Pelorin opens when you log in.")), env);
        EXPECT_EQ(done.icon()->symbol(), QStringLiteral("checkmark.circle.fill"));
        EXPECT_EQ(done.icon()->tint(), PrivacyGreen::color(scheme));
        ASSERT_NE(done.celebrationLabel(), nullptr);
        EXPECT_EQ(done.celebrationLabel()->color(), PrivacyGreen::color(scheme));
        EXPECT_EQ(done.actionButton(), nullptr) << "no action once done";
        EXPECT_EQ(static_cast<TextLabel *>(done.detail())->color(), BrandPalette::primary70(scheme));

        WelcomeStepRow todo(WelcomeStepState::Todo, sampleBrand(), QStringLiteral("All set"), allow,
                            new TextLabel(QStringLiteral("Let Pelorin open at login.")), env);
        EXPECT_EQ(todo.icon()->symbol(), QStringLiteral("circle"));
        EXPECT_EQ(todo.icon()->tint(), BrandPalette::primary70(scheme));
        EXPECT_EQ(todo.celebrationLabel(), nullptr) << "never celebrates before it is done";
        ASSERT_NE(todo.actionButton(), nullptr);
        EXPECT_FALSE(todo.actionButton()->isProminent());

        WelcomeStepRow attention(WelcomeStepState::Attention, sampleBrand(), std::nullopt, std::nullopt,
                                 new WelcomeStepDetail(4, env), env);
        EXPECT_EQ(attention.icon()->symbol(), QStringLiteral("exclamationmark.triangle"));
        EXPECT_EQ(attention.icon()->tint(), BrandPalette::attention(scheme));
        EXPECT_EQ(attention.actionButton(), nullptr);
        EXPECT_TRUE(isAccessibilityHidden(attention.icon()));
    }

    // Laid out: the action sits under the detail, 8 + 4 below it.
    WelcomeStepRow todo(WelcomeStepState::Todo, sampleBrand(), std::nullopt,
                        WelcomeStepsButton{QStringLiteral("Allow"), false, {}},
                        new TextLabel(QStringLiteral("Let Pelorin open at login.")), OrbelEnvironment{});
    layOut(&todo, 400);
    render(&todo);
    EXPECT_EQ(todo.actionButton()->y(), todo.detail()->geometry().bottom() + 1 + 8 + 4);
    EXPECT_EQ(todo.height(), todo.actionButton()->geometry().bottom() + 1 + 12);
}

TEST(WelcomeStepsLayout, LaysOutTheProgramsOneStepPage)
{
    WelcomePage welcome;
    WelcomeStepsLayout &page = *welcome.page;
    layOut(&page);
    render(&page);
    EXPECT_EQ(page.width(), 560);
    EXPECT_EQ(page.sizeHint().width(), 560);

    // One step, badge "1", no label, dots, skip, back or note.
    EXPECT_EQ(page.stepLabel(), nullptr);
    EXPECT_EQ(page.progressDots(), nullptr);
    EXPECT_EQ(page.skipButton(), nullptr);
    EXPECT_EQ(page.backButton(), nullptr);
    EXPECT_EQ(page.noteLabel(), nullptr);
    EXPECT_TRUE(isAccessibilityHidden(page.badge()));
    EXPECT_TRUE(isAccessibilityHeading(page.stepTitleLabel()));
    EXPECT_EQ(page.loginRow()->title(), QStringLiteral("Open at Login"));
    EXPECT_EQ(page.primaryButton()->text(), QStringLiteral("Let\u2019s go"));
    EXPECT_TRUE(page.primaryButton()->isProminent());
    EXPECT_TRUE(page.primaryButton()->isDefault());

    // The column: 496 wide at 32 from the left, 48 from the top, 32 from the bottom.
    const QRect header = geometryIn(page.header(), &page);
    EXPECT_EQ(header.topLeft(), QPoint(32, 48));
    EXPECT_EQ(header.width(), 496);
    const QRect primary = geometryIn(page.primaryButton(), &page);
    EXPECT_EQ(primary.right(), 32 + 496 - 1) << "the primary button at the right edge";
    EXPECT_EQ(primary.bottom(), page.height() - 32 - 1);
    const QRect toggle = geometryIn(page.loginRow()->toggle(), &page);
    EXPECT_EQ(toggle.right(), 32 + 496 - 1);
    EXPECT_EQ(geometryIn(page.loginRow()->titleLabel(), &page).left(), 32);
    EXPECT_EQ(primary.top(), geometryIn(page.loginRow(), &page).bottom() + 1 + 16);
    EXPECT_EQ(geometryIn(page.lowerHalf(), &page).top() + 0, geometryIn(page.upperHalf(), &page).bottom() + 1 + 32);

    // The step block: the badge, the title 8 to its right, the card 8 below.
    const QRect badge = geometryIn(page.badge(), &page);
    EXPECT_EQ(badge.size(), QSize(24, 24));
    EXPECT_EQ(geometryIn(page.stepTitleLabel(), &page).left(), badge.right() + 1 + 8);
    EXPECT_EQ(geometryIn(page.card(), &page).left(), 32 + 16) << "the card pads its content 16";

    // Everything above the switch stays in place: the plain arrangement.
    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Plain);
    EXPECT_EQ(page.scrollArea()->height(), page.upperHalf()->height());
}

TEST(WelcomeStepsLayout, MeasuresItsHalvesWhenShownAndNeedsNoWindowToReportTo)
{
    WelcomePage welcome;
    WelcomeStepsLayout &page = *welcome.page;
    QSignalSpy changes(&page, &WelcomeStepsLayout::idealHeightChanged);
    EXPECT_EQ(page.stepHeight(), 0);
    EXPECT_EQ(page.footerHeight(), 0);
    EXPECT_EQ(page.idealHeight(), 112);

    page.resize(page.sizeHint());
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    EXPECT_EQ(page.stepHeight(), page.upperHalf()->height());
    EXPECT_EQ(page.footerHeight(), page.loginRow()->height() + 16 + page.primaryButton()->height());
    EXPECT_EQ(page.idealHeight(), page.stepHeight() + 80 + 32 + page.footerHeight());
    EXPECT_EQ(page.idealHeight(), page.sizeHint().height());
    EXPECT_EQ(changes.count(), 1);

    // Another layout pass with nothing changed reports nothing new.
    page.upperHalf()->updateGeometry();
    QCoreApplication::processEvents();
    EXPECT_EQ(changes.count(), 1);
}

TEST(WelcomeStepsLayout, DrawsTheBadgeAndDotsOfTheStep)
{
    const OrbelEnvironment env;
    BoundFlag flag;
    WelcomeStepsLayout::Setup setup = welcomeSetup(sampleBrand(), flag.binding(), {});

    // A label brings the dots: one per step, the current one in the accent.
    setup.stepLabel = QStringLiteral("Step 2 of 3");
    setup.step = 2;
    setup.stepCount = 3;
    {
        WelcomePage welcome(setup, env);
        ASSERT_NE(welcome.page->stepLabel(), nullptr);
        ASSERT_NE(welcome.page->progressDots(), nullptr);
        EXPECT_EQ(welcome.page->progressDots()->sizeHint(), QSize(3 * 8 + 2 * 8, 8));
        welcome.page->progressDots()->resize(welcome.page->progressDots()->sizeHint());
        const QImage dots = render(welcome.page->progressDots(), 1.0, Qt::white);
        EXPECT_TRUE(colorNear(dots.pixelColor(4, 4), composite(Qt::white, BrandPalette::primary16(env.scheme)), 2));
        EXPECT_TRUE(colorNear(dots.pixelColor(20, 4), sampleBrand().accent(env.scheme), 2));
        EXPECT_TRUE(isAccessibilityHidden(welcome.page->progressDots()));
    }

    // No steps still draws one dot; a step outside the dots lights none.
    setup.stepCount = 0;
    setup.step = 0;
    {
        WelcomePage welcome(setup, env);
        EXPECT_EQ(welcome.page->progressDots()->sizeHint(), QSize(8, 8));
        welcome.page->progressDots()->resize(8, 8);
        const QImage dot = render(welcome.page->progressDots(), 1.0, Qt::white);
        EXPECT_TRUE(colorNear(dot.pixelColor(4, 4), composite(Qt::white, BrandPalette::primary16(env.scheme)), 2));
    }

    // A done step shows the green check, not its number.
    for (const bool done : {false, true}) {
        setup.isStepDone = done;
        setup.step = 1;
        WelcomePage welcome(setup, env);
        QWidget *badge = welcome.page->badge();
        badge->resize(24, 24);
        const QImage image = render(badge, 1.0, Qt::white);
        const int green = countPixels(image, PrivacyGreen::color(env.scheme), 30);
        const QColor disc = composite(Qt::white, [&] {
            QColor c = sampleBrand().accent(env.scheme);
            c.setAlphaF(0.25f);
            return c;
        }());
        if (done) {
            EXPECT_GT(green, 20);
            EXPECT_EQ(countPixels(image, disc, 3), 0);
        } else {
            EXPECT_EQ(green, 0);
            EXPECT_GT(countPixels(image, disc, 3), 100) << "the number on its accent disc";
            EXPECT_GT(countPixels(image, BrandPalette::primary(env.scheme), 60), 5) << "the digit";
        }
    }
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

TEST(WelcomeStepsLayout, OfferedTooLittleHeightItScrollsItsUpperHalfOnly)
{
    WelcomePage welcome;
    WelcomeStepsLayout &page = *welcome.page;
    QSignalSpy arrangements(&page, &WelcomeStepsLayout::arrangementChanged);
    page.resize(560, page.sizeHint().height() - 200);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Scrolling);
    EXPECT_EQ(arrangements.count(), 1);
    // The switch and the buttons are wholly in view, at the bottom.
    EXPECT_TRUE(page.rect().contains(geometryIn(page.primaryButton(), &page)));
    EXPECT_TRUE(page.rect().contains(geometryIn(page.loginRow(), &page)));
    EXPECT_EQ(geometryIn(page.primaryButton(), &page).bottom(), page.height() - 32 - 1);
    // The upper half keeps its natural height and width inside the scroll area.
    EXPECT_EQ(page.upperHalf()->height(), page.stepHeight());
    EXPECT_EQ(page.upperHalf()->width(), 496);
    EXPECT_EQ(page.scrollArea()->viewport()->height(), page.height() - 80 - 32 - page.footerHeight());
    EXPECT_GT(page.scrollArea()->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(page.scrollArea()->verticalScrollBar()->isVisible());

    // Given its ideal height again, it goes back to the plain arrangement.
    page.resize(560, page.idealHeight());
    QCoreApplication::processEvents();
    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Plain);
    EXPECT_EQ(arrangements.count(), 2);
    EXPECT_FALSE(page.scrollArea()->verticalScrollBar()->isVisible());
}

TEST(PermissionRow, AGrantedRowShowsTheCheckAndAllowedAndOffersNoButton)
{
    OrbelEnvironment env = environmentFor(ColorScheme::Dark);
    env.reduceMotion = true;
    int asked = 0;
    PermissionRow row(
        2, false, true, QStringLiteral("Screen Recording"),
        QStringLiteral("Lets the app see the windows it keeps awake."), QStringLiteral("Allow"), QColor(Qt::magenta),
        [&] { ++asked; }, env);
    layOut(&row, 400);
    render(&row);
    const auto badgeName = [&] { return QAccessible::queryAccessibleInterface(row.badge())->text(QAccessible::Name); };

    EXPECT_EQ(row.badgeSymbol(), QStringLiteral("2.circle"));
    EXPECT_EQ(row.badgeColor(), QColor(Qt::magenta));
    EXPECT_EQ(badgeName(), QStringLiteral("Not allowed yet"));
    ASSERT_TRUE(row.actionButton()->isVisibleTo(&row));
    row.actionButton()->click();
    EXPECT_EQ(asked, 1);
    // "Optional" stands beside the title, on its first baseline.
    ASSERT_NE(row.optionalLabel(), nullptr);
    const auto baseline = [](const QWidget *label) {
        return label->y() + label->contentsMargins().top() + label->fontMetrics().ascent();
    };
    EXPECT_GT(row.optionalLabel()->x(), row.titleLabel()->x());
    EXPECT_NEAR(baseline(row.optionalLabel()), baseline(row.titleLabel()), 1);

    row.setGranted(true);
    EXPECT_EQ(row.badgeSymbol(), QStringLiteral("checkmark.circle.fill"));
    EXPECT_EQ(row.badgeColor(), BrandPalette::green(ColorScheme::Dark));
    EXPECT_EQ(badgeName(), QStringLiteral("Allowed"));
    EXPECT_FALSE(row.actionButton()->isVisibleTo(&row));

    PermissionRow required(1, true, false, QStringLiteral("Accessibility"), QStringLiteral("Needed."),
                           QStringLiteral("Allow"), QColor(Qt::blue), {}, env);
    EXPECT_EQ(required.optionalLabel(), nullptr);
    EXPECT_FALSE(required.actionButton()->isVisibleTo(&required));
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
