// The kit's getting-started pieces: the step page in its window (its size,
// its progress dots, what screen readers hear), its buttons, and the
// checklist row of a multi-step onboarding.
#include "kit_test_support.h"

#include "brand_palette.h"
#include "paragraph_label.h"
#include "settle.h"
#include "symbol_view.h"
#include "welcome_button.h"
#include "welcome_step_detail.h"
#include "welcome_step_row.h"
#include "welcome_steps_layout.h"
#include "window_singletons.h"

#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QTest>

using namespace orbel;
using namespace orbel::test;
using pelorin::test::settle;

namespace {

WelcomeStepsLayout::Setup pageSetup()
{
    return {.brand = sampleBrand(),
            .title = QStringLiteral("Welcome to Pelorin"),
            .lead = QStringLiteral("Pelorin keeps this computer awake."),
            .stepTitle = QStringLiteral("Choose a length"),
            .privacy = QStringLiteral("Nothing leaves this computer"),
            .privacySymbol = QStringLiteral("lock"),
            .opensAtLogin = {[] { return false; }, [](bool) {}},
            .primary = {.title = QStringLiteral("Let’s go"), .action = {}}};
}

} // namespace

// The window is as tall as the page asks, 32 below its last control (give or
// take the rounding of heights to 4), and grows with the card, its top edge
// kept.
TEST(WelcomeStepsLayout, TheWindowIsAsTallAsThePageAsksAndGrowsWithTheCardKeepingItsTop)
{
    QCursor::setPos(QGuiApplication::screens().constLast()->geometry().center());
    QPointer<WelcomeStepsLayout> page;
    QPointer<TextLabel> card;
    WelcomeStepsWindow::show(QStringLiteral("Getting Started"), {}, [&] {
        card = new ParagraphLabel(QStringLiteral("Click a length in the panel."));
        auto built = std::make_unique<WelcomeStepsLayout>(pageSetup(), card, OrbelEnvironment{});
        page = built.get();
        return built;
    });
    ASSERT_TRUE(page && card);
    QWidget *window = page->window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    settle();
    const auto expectFits = [&] {
        EXPECT_EQ(window->width(), 560);
        EXPECT_EQ(page->arrangement(), WelcomeStepsLayout::Arrangement::Plain);
        const int below =
            window->height() - page->primaryButton()->mapTo(window, QPoint(0, 0)).y() - page->primaryButton()->height();
        EXPECT_GE(below, 32);
        EXPECT_LT(below, 32 + 4);
    };
    expectFits();

    const QRect before = window->frameGeometry();
    card->setText(QStringLiteral("Click a length in the panel.\nThe count-down starts at once.\nEnd stops it."));
    settle();
    expectFits();
    EXPECT_GT(window->height(), before.height());
    EXPECT_EQ(window->frameGeometry().top(), before.top());
    WelcomeStepsWindow::close();
}

// One dot per step, at least one, the current step's in the accent; a step
// that is done shows a green check in its badge. Screen readers hear the
// headings, texts and controls in order; the icon, the badge and the dots are
// only pictures.
TEST(WelcomeStepsLayout, OneDotPerStepTheCurrentInTheAccentAndOnlyTheTextsAndControlsHeard)
{
    const struct {
        int step;
        int stepCount;
        bool done;
        int dots;
        int current; // 0 for none
    } rows[] = {
        {2, 3, false, 3, 2},
        {0, 3, false, 3, 0},
        {1, 0, true, 1, 1},
        {4, -1, false, 1, 0},
    };
    const QColor accent = sampleBrand().accent(ColorScheme::Light);
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << "step " << row.step << " of " << row.stepCount);
        WelcomeStepsLayout::Setup setup = pageSetup();
        setup.step = row.step;
        setup.stepCount = row.stepCount;
        setup.isStepDone = row.done;
        setup.stepLabel = QStringLiteral("Step 2 of 3");
        setup.note = QStringLiteral("You can change this later.");
        WelcomeStepsLayout page(std::move(setup), new ParagraphLabel(QStringLiteral("Click a length.")),
                                OrbelEnvironment{});
        page.show();
        settle();
        if (&row == rows) {
            EXPECT_EQ(spoken(&page), (QStringList{
                                         QStringLiteral("heading: Welcome to Pelorin"),
                                         QStringLiteral("text: Pelorin keeps this computer awake."),
                                         QStringLiteral("heading: Choose a length"),
                                         QStringLiteral("text: Step 2 of 3"),
                                         QStringLiteral("text: Click a length."),
                                         QStringLiteral("text: No internet, no data collected"),
                                         QStringLiteral("text: Nothing leaves this computer"),
                                         QStringLiteral("switch: Open at Login"),
                                         QStringLiteral("button: Let’s go"),
                                         QStringLiteral("text: You can change this later."),
                                     }));
        }

        // The dots stand right of the step label.
        const QWidget *label = page.stepLabel();
        ASSERT_NE(label, nullptr);
        QWidget *dots = nullptr;
        for (int x = label->geometry().right() + 1; !dots && x < label->parentWidget()->width(); ++x) {
            QWidget *found = label->parentWidget()->childAt(x, label->geometry().center().y());
            dots = found != label ? found : nullptr;
        }
        ASSERT_NE(dots, nullptr);
        const QImage picture = drawn(dots);
        const QList<QPair<int, int>> runs = paintedRuns(picture);
        EXPECT_EQ(runs.size(), row.dots);
        for (qsizetype index = 0; index < runs.size(); ++index)
            EXPECT_EQ(picture.pixelColor(runs.at(index).first + runs.at(index).second / 2, picture.height() / 2) ==
                          accent,
                      index + 1 == row.current)
                << "dot " << index + 1;
        EXPECT_EQ(contains(drawn(page.badge()), PrivacyGreen::color(ColorScheme::Light)), row.done);
    }
}

// A click presses a button without taking the focus, and so does Return for
// the page's default; a disabled button answers neither, and a disabled
// prominent one shows its brand fill at half strength.
TEST(WelcomeButton, ADisabledButtonAnswersNoClickOrReturnAndFadesItsFill)
{
    for (const bool prominent : {true, false}) {
        for (const bool disabled : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << (prominent ? "prominent" : "bordered") << (disabled ? ", disabled" : ""));
            int pressed = 0;
            QWidget window;
            auto *button = new WelcomeButton(
                {.title = QStringLiteral("Next"), .isDisabled = disabled, .action = [&pressed] { ++pressed; }},
                sampleBrand(), prominent, OrbelEnvironment{}, &window);
            button->setDefault(true);
            button->move(20, 20);
            window.resize(200, 100);
            // Opened, the window itself holds the focus.
            window.setFocus(Qt::ActiveWindowFocusReason);
            window.show();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
            QTest::mouseClick(button, Qt::LeftButton);
            EXPECT_EQ(window.focusWidget(), &window) << "a click acts without taking the focus";
            QTest::keyClick(&window, Qt::Key_Return);
            EXPECT_EQ(pressed, disabled ? 0 : 2);
            // Low in the capsule, left of the title, under no sheen.
            const QImage picture = drawn(button);
            if (prominent) {
                EXPECT_NEAR(qAlpha(picture.pixel(picture.height() / 2, picture.height() * 3 / 4)), disabled ? 128 : 255,
                            1);
            }
        }
    }
}

// A done step shows its green check and celebrates, and offers no action; a
// step to do or needing attention offers its action and never celebrates.
TEST(WelcomeStepRow, ADoneStepCelebratesAndOffersNothingOthersOfferTheirAction)
{
    OrbelEnvironment dark;
    dark.scheme = ColorScheme::Dark;
    // Each state with the symbol it shows and its colour.
    const std::tuple<WelcomeStepState, QString, QColor> rows[] = {
        {WelcomeStepState::Todo, QStringLiteral("circle"), BrandPalette::primary70(dark.scheme)},
        {WelcomeStepState::Done, QStringLiteral("checkmark.circle.fill"), PrivacyGreen::color(dark.scheme)},
        {WelcomeStepState::Attention, QStringLiteral("exclamationmark.triangle"), BrandPalette::attention(dark.scheme)},
    };
    for (const auto &[state, symbol, colour] : rows) {
        SCOPED_TRACE(symbol.toStdString());
        const bool done = state == WelcomeStepState::Done;
        int asked = 0;
        auto *detail = new WelcomeStepDetail(4, dark);
        detail->addText(QStringLiteral("Pelorin needs to be allowed to start."));
        WelcomeStepRow step(state, sampleBrand(), QStringLiteral("All set!"),
                            WelcomeStepsButton{.title = QStringLiteral("Allow"), .action = [&asked] { ++asked; }},
                            detail, dark);
        step.show();
        settle();
        QStringList heard{QStringLiteral("text: Pelorin needs to be allowed to start.")};
        if (done)
            heard.prepend(QStringLiteral("text: All set!"));
        else
            heard.append(QStringLiteral("button: Allow"));
        EXPECT_EQ(spoken(&step), heard);
        EXPECT_EQ(step.icon()->symbol(), symbol);
        EXPECT_EQ(step.icon()->tint(), colour);
        if (!done)
            QTest::mouseClick(step.actionButton(), Qt::LeftButton);
        EXPECT_EQ(asked, done ? 0 : 1);
    }
}
