// The preferences chrome and its single-page layout: the frame's measures,
// the tint it hands down and the rule that focus rings show only to people
// who use the keyboard.
#include "kit_test_support.h"
#include "preferences_test_support.h"

#include "app_icon.h"
#include "bordered_button.h"
#include "fixed_window.h"
#include "keyboard_use_tracker.h"
#include "orbel_switch.h"
#include "preferences_chrome.h"
#include "preferences_focus_ring.h"
#include "preferences_group.h"
#include "preferences_header.h"
#include "preferences_layout.h"
#include "preferences_note.h"
#include "preferences_pane_layout.h"
#include "preferences_row.h"
#include "preferences_status_row.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCheckBox>
#include <QPointer>
#include <QTest>

#include <cmath>

using namespace orbel;
using namespace orbel::test;

namespace {

QtMessageHandler previousHandler = nullptr;

// The offscreen platform warns that it cannot raise windows or pass on size
// hints, on every show.
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

// The program's preferences page, in the approval state, in a window host
// built like the shared preferences window.
struct PreferencesPage {
    BoundFlag opensAtLogin;
    int settingsOpened = 0;
    QPointer<PreferencesLayout> page;
    QPointer<PreferencesToggleRow> loginRow;
    QPointer<PreferencesStatusRow> statusRow;
    FixedWindow host{{.closesWithCommandW = true, .anchorsTop = true, .scrollsContent = true}};

    QWidget *show()
    {
        host.setReduceMotion(true);
        host.show(QStringLiteral("Preferences"), {}, 560, [this] {
            OrbelEnvironment env;
            env.reduceMotion = true;
            auto *group = new PreferencesGroup(QStringLiteral("General"), env);
            loginRow =
                new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, opensAtLogin.binding(), env);
            group->addRow(loginRow);
            group->addRow(new PreferencesNote(
                QStringLiteral("Opening Pelorin never starts a session. Click a duration when you need it."), env));
            statusRow = new PreferencesStatusRow(
                PreferencesStatus::Warning, QStringLiteral("Allow Pelorin to open at login"),
                QStringLiteral("Review Pelorin in Login Items in System Settings."),
                PreferencesAction{QStringLiteral("Open System Settings"), [this] { ++settingsOpened; }}, env);
            group->addRow(statusRow);
            auto built = std::make_unique<PreferencesLayout>(sampleBrand(), QStringLiteral("Preferences"), group, env);
            page = built.get();
            return built;
        });
        return host.window();
    }

    OrbelSwitch *toggle() const { return loginRow->toggle(); }
    QAbstractButton *settingsButton() const { return statusRow->actionButton(); }
    BrandFocusRing *toggleRing() const { return loginRow->focusRing(); }
    BrandFocusRing *buttonRing() const { return statusRow->actionFocusRing(); }
    bool keyboardUsed() const { return page->chrome()->keyboardUsed(); }
};

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void click(QWidget *window, QWidget *target)
{
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, target->mapTo(window, target->rect().center()));
}

class PreferencesChromeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { previousHandler = qInstallMessageHandler(quietPlatformWarnings); }
    static void TearDownTestSuite() { qInstallMessageHandler(previousHandler); }
};

} // namespace

TEST_F(PreferencesChromeTest, TheSinglePageLayoutIs560WideWithItsMarginsAndSpacing)
{
    OrbelEnvironment env;
    auto *content = new QWidget;
    content->setFixedHeight(100);
    PreferencesLayout page(sampleBrand(), QStringLiteral("Preferences"), content, env);
    layOut(&page);
    // Rendering lays out the inner layouts of a page that is not shown.
    render(&page);

    EXPECT_EQ(page.width(), 560);
    EXPECT_EQ(page.sizeHint().width(), 560);
    const QRect header = geometryIn(page.header(), &page);
    const QRect body = geometryIn(content, &page);
    EXPECT_EQ(header.topLeft(), QPoint(32, 48));
    EXPECT_EQ(header.width(), 496);
    EXPECT_EQ(header.height(), 48);
    EXPECT_EQ(body.top(), header.bottom() + 1 + 32) << "32 between the heading and the content";
    EXPECT_EQ(body.left(), 32);
    EXPECT_EQ(body.width(), 496);
    EXPECT_EQ(page.height(), body.bottom() + 1 + 32) << "32 below the content";
    EXPECT_EQ(page.chrome()->column(), QRect(32, 48, 496, page.height() - 80));

    // The heading: the 48-pixel icon, 12 before the title.
    ASSERT_TRUE(page.header()->showsIcon());
    EXPECT_EQ(page.header()->icon()->size(), QSize(48, 48));
    EXPECT_EQ(page.header()->titleLabel()->x(), 48 + 12);
}

TEST_F(PreferencesChromeTest, AHeaderWithoutIconIsStillAtLeast48High)
{
    OrbelEnvironment env;
    PreferencesHeader header(QStringLiteral("General"), false, env);
    layOut(&header, 496);
    render(&header);
    EXPECT_FALSE(header.showsIcon());
    EXPECT_EQ(header.findChild<AppIcon *>(), nullptr);
    EXPECT_EQ(header.height(), 48);
    EXPECT_EQ(header.titleLabel()->x(), 0);

    // A long title wraps and the header grows with it.
    PreferencesHeader wrapped(QStringLiteral("A title far too long to stand on a single line of this narrow header"),
                              true, env);
    layOut(&wrapped, 300);
    render(&wrapped);
    EXPECT_GT(wrapped.height(), 48);
    EXPECT_EQ(wrapped.titleLabel()->height(), wrapped.titleLabel()->heightForWidth(wrapped.titleLabel()->width()));
}

TEST_F(PreferencesChromeTest, TheContentIsTintedWithTheBrandAccentOfTheScheme)
{
    for (const ColorScheme scheme : {ColorScheme::Light, ColorScheme::Dark}) {
        SCOPED_TRACE(schemeName(scheme));
        BoundFlag flag;
        auto *row = new PreferencesToggleRow(QStringLiteral("Open at Login"), std::nullopt, flag.binding(),
                                             environmentFor(scheme));
        PreferencesChrome chrome(sampleBrand(), 560, row, environmentFor(scheme));
        // The sample brand has a light accent of its own and none for dark.
        const QColor accent = scheme == ColorScheme::Dark ? sampleBrand().color() : *sampleBrand().lightAccent();
        EXPECT_EQ(row->environment().tint, accent);
        EXPECT_EQ(row->toggle()->effectiveTint(), accent);
        EXPECT_FALSE(row->environment().keyboardUsed);

        // The background is the brand's tinted gradient: its top-left corner
        // is the base mixed towards the brand colour.
        layOut(&chrome);
        const QImage image = render(&chrome);
        const Rgb brand{sampleBrand().color().redF(), sampleBrand().color().greenF(), sampleBrand().color().blueF()};
        const QColor corner = BrandBackgroundRecipe::stops(brand, scheme == ColorScheme::Dark)[0].toColor();
        EXPECT_TRUE(colorNear(image.pixelColor(0, 0), corner, 3));
    }
}

TEST_F(PreferencesChromeTest, FocusRingsShowOnlyAfterAKeyPressSinceTheWindowBecameActive)
{
    PreferencesPage prefs;
    QWidget *window = prefs.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QCoreApplication::processEvents();
    ASSERT_TRUE(prefs.toggleRing());
    ASSERT_TRUE(prefs.buttonRing());

    // A pointer user: the switch flips and the button acts, no ring ever shows.
    click(window, prefs.toggle());
    EXPECT_TRUE(prefs.opensAtLogin.value);
    click(window, prefs.settingsButton());
    EXPECT_EQ(prefs.settingsOpened, 1);
    EXPECT_FALSE(prefs.keyboardUsed());
    EXPECT_FALSE(prefs.toggleRing()->isVisible());
    EXPECT_FALSE(prefs.buttonRing()->isVisible());
    // Even a control that has the focus shows no ring before a key press.
    prefs.toggle()->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(prefs.toggleRing()->isOn());

    // Tab: the keyboard is in use and the focused control wears its ring.
    prefs.toggle()->clearFocus();
    QTest::keyClick(window, Qt::Key_Tab);
    EXPECT_TRUE(prefs.keyboardUsed());
    ASSERT_TRUE(prefs.toggle()->hasFocus()) << "Tab still moves the focus";
    EXPECT_TRUE(prefs.toggleRing()->isOn());
    EXPECT_TRUE(prefs.toggleRing()->isVisible());
    EXPECT_FALSE(prefs.buttonRing()->isVisible());
    EXPECT_EQ(prefs.toggleRing()->geometry(), prefs.toggle()->geometry().adjusted(-4, -4, 4, 4));

    // Keys still do their work: Space flips the switch, Tab moves on.
    QTest::keyClick(prefs.toggle(), Qt::Key_Space);
    EXPECT_FALSE(prefs.opensAtLogin.value);
    QTest::keyClick(window, Qt::Key_Tab);
    ASSERT_TRUE(prefs.settingsButton()->hasFocus());
    EXPECT_FALSE(prefs.toggleRing()->isVisible());
    EXPECT_TRUE(prefs.buttonRing()->isVisible());

    // Away and back: no ring until the next key.
    QWidget elsewhere;
    ASSERT_TRUE(activate(&elsewhere));
    EXPECT_TRUE(prefs.keyboardUsed()) << "kept while the window is inactive";
    ASSERT_TRUE(activate(window));
    EXPECT_FALSE(prefs.keyboardUsed());
    EXPECT_TRUE(prefs.settingsButton()->hasFocus());
    EXPECT_FALSE(prefs.buttonRing()->isVisible());

    // Keys pressed while another window is active do not count.
    ASSERT_TRUE(activate(&elsewhere));
    QTest::keyClick(&elsewhere, Qt::Key_A);
    EXPECT_FALSE(prefs.keyboardUsed());
    ASSERT_TRUE(activate(window));
    QTest::keyClick(window, Qt::Key_Shift);
    EXPECT_TRUE(prefs.keyboardUsed());
    EXPECT_TRUE(prefs.buttonRing()->isVisible());
}

TEST_F(PreferencesChromeTest, TheStylesOwnFocusFrameIsSwitchedOffInside)
{
    // A control of the desktop style inside the chrome draws no focus frame of
    // its own; the same control outside does.
    const auto focusedAndNot = [](QCheckBox *box) {
        box->setFocus(Qt::TabFocusReason);
        const QImage focused = render(box, 1.0, Qt::white);
        box->clearFocus();
        const QImage unfocused = render(box, 1.0, Qt::white);
        return std::pair(focused, unfocused);
    };

    OrbelEnvironment env;
    auto *content = new QWidget;
    auto *inside = new QCheckBox(QStringLiteral("Inside"), content);
    inside->setGeometry(32, 48, 200, 24);
    PreferencesChrome chrome(sampleBrand(), 560, content, env);
    chrome.resize(560, 200);
    ASSERT_TRUE(activate(&chrome));
    QTest::keyClick(&chrome, Qt::Key_Tab);
    const auto [insideFocused, insideUnfocused] = focusedAndNot(inside);
    EXPECT_EQ(insideFocused, insideUnfocused);

    QWidget plain;
    auto *outside = new QCheckBox(QStringLiteral("Inside"), &plain);
    outside->setGeometry(32, 48, 200, 24);
    plain.resize(560, 200);
    ASSERT_TRUE(activate(&plain));
    QTest::keyClick(&plain, Qt::Key_Tab);
    const auto [outsideFocused, outsideUnfocused] = focusedAndNot(outside);
    EXPECT_NE(outsideFocused, outsideUnfocused) << "the desktop style does draw one";

    // Widgets added later are covered too; a ring keeps its own style.
    auto *later = new QCheckBox(QStringLiteral("Later"), content);
    QCoreApplication::processEvents();
    EXPECT_EQ(later->style(), inside->style());
    BoundFlag flag;
    auto *row = new PreferencesToggleRow(QStringLiteral("Row"), std::nullopt, flag.binding(), env, content);
    row->show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(row->focusRing());
    EXPECT_NE(row->focusRing()->style(), inside->style());
}

TEST_F(PreferencesChromeTest, ThePageTellsItsWindowWhenARowComesOrGoes)
{
    PreferencesPage prefs;
    QWidget *window = prefs.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    const int withStatus = window->height();
    EXPECT_EQ(withStatus, int(std::ceil(prefs.page->heightForWidth(560) / 4.0)) * 4);

    prefs.statusRow->hide();
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
    EXPECT_LT(window->height(), withStatus);
    EXPECT_EQ(window->height(), int(std::ceil(prefs.page->heightForWidth(560) / 4.0)) * 4);

    prefs.statusRow->show();
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(window->height(), withStatus);
}

namespace {

enum class Pane { General, Sessions, About, Hidden };

// A sidebar page over three panes whose content says which pane it was built for.
struct PanesPage {
    Pane selection = Pane::General;
    QList<Pane> built;

    std::unique_ptr<PreferencesPaneLayout> make(const OrbelEnvironment &env)
    {
        const QList<PreferencesPane<Pane>> panes{
            {Pane::General, QStringLiteral("General"), QStringLiteral("gearshape")},
            {Pane::Sessions, QStringLiteral("Sessions"), QStringLiteral("clock")},
            {Pane::About, QStringLiteral("About"), QStringLiteral("info.circle")},
        };
        return std::unique_ptr<PreferencesPaneLayout>(PreferencesPaneLayout::create<Pane>(
            sampleBrand(), panes, {[this] { return selection; }, [this](Pane pane) { selection = pane; }},
            [this](const Pane &pane) {
                built.append(pane);
                auto *content = new QWidget;
                content->setFixedHeight(120);
                return content;
            },
            env));
    }
};

bool isSelected(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget)->state().selected;
}

} // namespace

TEST_F(PreferencesChromeTest, TheSidebarLayoutShowsTheSelectedPaneAndAnEmptyHeadingForNone)
{
    OrbelEnvironment env;
    PanesPage panes;
    panes.selection = Pane::Hidden;
    const std::unique_ptr<PreferencesPaneLayout> page = panes.make(env);
    layOut(page.get());
    render(page.get());

    EXPECT_EQ(page->width(), 768);
    EXPECT_EQ(panes.built, QList<Pane>{Pane::Hidden}) << "the content is still asked for";
    EXPECT_EQ(page->header()->title(), QString());
    EXPECT_GE(page->header()->height(), 48);
    ASSERT_EQ(page->paneButtons().size(), 3);
    for (QAbstractButton *button : page->paneButtons())
        EXPECT_FALSE(isSelected(button));
    const QRect icon = geometryIn(page->icon(), page.get());
    const QRect first = geometryIn(page->paneButtons().front(), page.get());
    const QRect header = geometryIn(page->header(), page.get());
    EXPECT_EQ(icon.topLeft(), QPoint(32, 48));
    EXPECT_EQ(first.topLeft(), QPoint(32, 48 + 48 + 32));
    EXPECT_EQ(first.size(), QSize(176, 40));
    EXPECT_EQ(geometryIn(page->paneButtons().at(1), page.get()).top(), first.bottom() + 1 + 4);
    EXPECT_EQ(header.topLeft(), QPoint(32 + 176 + 32, 48));
    EXPECT_EQ(header.width(), 496);
    EXPECT_EQ(geometryIn(page->content(), page.get()).top(), header.bottom() + 1 + 32);
}

TEST_F(PreferencesChromeTest, AClickAnywhereInAPaneRowSelectsItAndRingsShowOnlyAfterAKey)
{
    PanesPage panes;
    FixedWindow host({.closesWithCommandW = true, .anchorsTop = true, .scrollsContent = true});
    host.setReduceMotion(true);
    QPointer<PreferencesPaneLayout> page;
    host.show(QStringLiteral("Preferences"), {}, 768, [&] {
        OrbelEnvironment env;
        env.reduceMotion = true;
        auto built = panes.make(env);
        page = built.get();
        return built;
    });
    QWidget *window = host.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QCoreApplication::processEvents();
    ASSERT_TRUE(page);
    EXPECT_TRUE(isSelected(page->paneButtons().at(0)));

    // The empty right-hand part of the row.
    QAbstractButton *sessions = page->paneButtons().at(1);
    const QPoint empty = sessions->mapTo(window, QPoint(sessions->width() - 6, sessions->height() / 2));
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(panes.selection, Pane::Sessions);
    EXPECT_EQ(panes.built.back(), Pane::Sessions);
    EXPECT_EQ(page->header()->title(), QStringLiteral("Sessions"));
    EXPECT_TRUE(isSelected(sessions));
    EXPECT_FALSE(isSelected(page->paneButtons().at(0)));

    // Focus alone shows no ring; after a key the focused row wears it.
    BrandFocusRing *ring = preferencesFocusRingOf(sessions);
    ASSERT_TRUE(ring);
    sessions->setFocus(Qt::OtherFocusReason);
    EXPECT_FALSE(ring->isVisible());
    QTest::keyClick(window, Qt::Key_Tab);
    QAbstractButton *about = page->paneButtons().at(2);
    ASSERT_TRUE(about->hasFocus());
    EXPECT_TRUE(preferencesFocusRingOf(about)->isVisible());
    EXPECT_EQ(preferencesFocusRingOf(about)->geometry(), about->geometry().adjusted(-4, -4, 4, 4));
    EXPECT_FALSE(ring->isVisible());
    QTest::keyClick(about, Qt::Key_Space);
    EXPECT_EQ(panes.selection, Pane::About);
}
