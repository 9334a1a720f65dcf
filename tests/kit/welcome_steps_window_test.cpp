// The welcome steps page in its window host, on one small offscreen screen
// (see small_screen.json): 1024 x 600, so a window is at most 536 high. The
// offscreen platform gives every window a frame of 2 pixels a side.
#include "kit_test_support.h"
#include "preferences_test_support.h"

#include "fixed_window.h"
#include "orbel_switch.h"
#include "paragraph_label.h"
#include "preferences_row.h"
#include "window_singletons.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <cmath>

using namespace orbel;
using namespace orbel::test;

namespace {

constexpr int visibleHeight = 600;
constexpr int tallestWindow = visibleHeight - 64;

QtMessageHandler previousHandler = nullptr;

void quietPlatformWarnings(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}

QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

int roundedUpToFour(int height)
{
    return int(std::ceil(height / 4.0)) * 4;
}

// A step card of one short paragraph, for a page that fits the screen.
QWidget *shortCard(const OrbelEnvironment &env, QPointer<QWidget> *holder = nullptr)
{
    auto *card = new QWidget;
    auto *layout = new QVBoxLayout(card);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(16);
    layout->addWidget(paragraph(QStringLiteral("A timer does not know when another app has finished its work."),
                                BrandPalette::primary(env.scheme), env));
    if (holder)
        *holder = card;
    return card;
}

// A window host built like the shared welcome window, with the page in it.
struct HostedWelcome {
    BoundFlag opensAtLogin;
    int finished = 0;
    QPointer<WelcomeStepsLayout> page;
    FixedWindow host{{.closesWithCommandW = true, .anchorsTop = true, .scrollsContent = false}};

    FixedWindow::Content content(std::function<QWidget *(const OrbelEnvironment &)> card,
                                 TextSize size = TextSize::Large)
    {
        return [this, card = std::move(card), size] {
            OrbelEnvironment env;
            env.reduceMotion = true;
            env.textSize = size;
            auto built = std::make_unique<WelcomeStepsLayout>(
                welcomeSetup(sampleBrand(), opensAtLogin.binding(), [this] { ++finished; }), card(env), env);
            page = built.get();
            return built;
        };
    }

    QWidget *show(std::function<QWidget *(const OrbelEnvironment &)> card, TextSize size = TextSize::Large)
    {
        host.show(QStringLiteral("Getting Started"), {}, 560, content(std::move(card), size));
        settle();
        return host.window();
    }
};

class WelcomeWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { previousHandler = qInstallMessageHandler(quietPlatformWarnings); }
    static void TearDownTestSuite() { qInstallMessageHandler(previousHandler); }

    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::screens().size(), 1) << "run with -platform offscreen:configfile=small_screen.json";
        ASSERT_EQ(QGuiApplication::primaryScreen()->availableGeometry().height(), visibleHeight);
    }
};

} // namespace

TEST_F(WelcomeWindowTest, TheWindowTakesTheIdealSizeThePageReports)
{
    HostedWelcome welcome;
    QWidget *window = welcome.host.window(QStringLiteral("Getting Started"), {}, 560,
                                          welcome.content([](const OrbelEnvironment &env) { return shortCard(env); }));
    settle();
    EXPECT_FALSE(welcome.host.contentSize()) << "nothing is reported before the page has been laid out";

    welcome.host.show(QStringLiteral("Getting Started"), {}, 560, {});
    settle();
    ASSERT_TRUE(welcome.page);
    WelcomeStepsLayout &page = *welcome.page;
    ASSERT_GT(page.stepHeight(), 0);
    ASSERT_GT(page.footerHeight(), 0);
    const int ideal = page.stepHeight() + 112 + page.footerHeight();
    EXPECT_EQ(page.idealHeight(), ideal);
    ASSERT_TRUE(welcome.host.contentSize());
    EXPECT_EQ(*welcome.host.contentSize(), QSizeF(560, ideal));
    ASSERT_LT(ideal, tallestWindow);
    EXPECT_EQ(window->size(), QSize(560, roundedUpToFour(ideal)));
    EXPECT_EQ(page.size(), window->size()) << "the page fills the window";
    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Plain);

    // The page grows: the window follows, its top edge kept.
    const int top = window->frameGeometry().top();
    page.card()->layout()->addWidget(paragraph(QStringLiteral("Closing the lid can still put your Mac to sleep."),
                                               BrandPalette::primary70(ColorScheme::Light), OrbelEnvironment{}));
    settle();
    EXPECT_GT(page.idealHeight(), ideal);
    EXPECT_EQ(*welcome.host.contentSize(), QSizeF(560, page.idealHeight()));
    EXPECT_EQ(window->height(), roundedUpToFour(page.idealHeight()));
    EXPECT_EQ(window->frameGeometry().top(), top);
    EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Plain);
}

TEST_F(WelcomeWindowTest, OnAShortScreenTheUpperHalfScrollsAndTheButtonsStayInView)
{
    for (const TextSize size : {TextSize::Large, TextSize::Accessibility5}) {
        SCOPED_TRACE(size == TextSize::Large ? "large" : "accessibility5");
        HostedWelcome welcome;
        QWidget *window = welcome.show([](const OrbelEnvironment &env) { return welcomeCard(env); }, size);
        ASSERT_TRUE(welcome.page);
        WelcomeStepsLayout &page = *welcome.page;

        // It asked for more than the screen has, and got the most it allows.
        ASSERT_GT(page.idealHeight(), tallestWindow);
        EXPECT_EQ(*welcome.host.contentSize(), QSizeF(560, page.idealHeight()));
        EXPECT_EQ(window->height(), tallestWindow);
        EXPECT_EQ(page.arrangement(), WelcomeStepsLayout::Arrangement::Scrolling);

        // The switch and the buttons are wholly inside the window.
        const QRect inside = window->rect().adjusted(0, 0, 0, -32 + 1);
        EXPECT_TRUE(inside.contains(geometryIn(page.loginRow()->toggle(), window)));
        EXPECT_TRUE(inside.contains(geometryIn(page.primaryButton(), window)));
        EXPECT_TRUE(window->rect().contains(geometryIn(page.lowerHalf(), window)));
        EXPECT_EQ(geometryIn(page.primaryButton(), window).bottom(), window->height() - 32 - 1);
        // The step badge keeps its size whatever the text size.
        EXPECT_EQ(page.badge()->size(), QSize(24, 24));

        saveToGallery(render(window, 2.0), size == TextSize::Large
                                               ? QStringLiteral("welcome-window-short-screen-light")
                                               : QStringLiteral("welcome-window-short-screen-light-accessibility5"));

        // Only the upper half scrolls, from its heading down to its privacy lines.
        QScrollBar *bar = page.scrollArea()->verticalScrollBar();
        EXPECT_TRUE(bar->isVisible());
        EXPECT_EQ(bar->maximum(), page.stepHeight() - page.scrollArea()->viewport()->height());
        const QRect switchBefore = geometryIn(page.loginRow(), window);
        bar->setValue(bar->maximum());
        settle();
        EXPECT_EQ(geometryIn(page.loginRow(), window), switchBefore);
        EXPECT_EQ(page.upperHalf()->y(), -bar->maximum());

        // The keyboard still reaches the switch, and Return the default button.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keyClick(window, Qt::Key_Return);
        EXPECT_EQ(welcome.finished, 1);
    }
}

TEST_F(WelcomeWindowTest, TheSharedWindowClosesByItsDefaultButtonAndOpensAgainAsItWas)
{
    BoundFlag opensAtLogin;
    QPointer<WelcomeStepsLayout> page;
    int built = 0;
    const auto content = [&] {
        ++built;
        OrbelEnvironment env;
        env.reduceMotion = true;
        auto layout = std::make_unique<WelcomeStepsLayout>(
            welcomeSetup(sampleBrand(), opensAtLogin.binding(), [] { WelcomeStepsWindow::close(); }), welcomeCard(env),
            env);
        page = layout.get();
        return layout;
    };
    WelcomeStepsWindow::show(QStringLiteral("Getting Started"), {}, content);
    QWidget *window = WelcomeStepsWindow::window(QStringLiteral("Getting Started"), {}, content);
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->width(), 560);
    const QSize size = window->size();

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(opensAtLogin.value) << "closing changes nothing else";
    EXPECT_EQ(opensAtLogin.writes, 0);

    WelcomeStepsWindow::show(QStringLiteral("Getting Started"), {}, content);
    settle();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(built, 1);
    EXPECT_EQ(window->size(), size);
    QTest::mouseClick(page->primaryButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());

    WelcomeStepsWindow::show(QStringLiteral("Getting Started"), {}, content);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
}
