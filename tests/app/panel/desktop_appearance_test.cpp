// The tray panel following the desktop's colour scheme, animation setting and
// text size through the desktop portal's settings (or, for the text size, the
// application font), over a private bus with a stand-in portal that the tests
// steer.
#include "panel_test_support.h"

#include "panel_content.h"
#include "session_readout_view.h"
#include "test_bus.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QPalette>

#include <functional>
#include <span>

using namespace pelorin;
using namespace Qt::StringLiterals;
using Kind = test::TestBus::Kind;

namespace {

const QString portal = u"org.freedesktop.portal.Desktop"_s;
const QString appearance = u"org.freedesktop.appearance"_s;
const QString colorScheme = u"color-scheme"_s;
const QString gnomeInterface = u"org.gnome.desktop.interface"_s;
const QString textScaling = u"text-scaling-factor"_s;

// The portal's color-scheme values.
constexpr uint noPreference = 0;
constexpr uint prefersDark = 1;
constexpr uint prefersLight = 2;

class DesktopAppearancePanel : public ::testing::Test {
protected:
    // A light palette and the stand-in portal on the private session bus.
    void SetUp() override
    {
        setPalette(false);
        ASSERT_TRUE(bus.isValid());
        ASSERT_TRUE(bus.startServices(Kind::session, {portal}));
    }

    void TearDown() override
    {
        QApplication::setPalette(savedPalette);
        QApplication::setFont(savedFont);
        qunsetenv("XDG_CURRENT_DESKTOP");
    }

    // A palette with a dark or a light window colour. Widgets hear of it
    // through posted events, so they are let through.
    void setPalette(bool dark) const
    {
        QPalette palette = savedPalette;
        palette.setColor(QPalette::Window, dark ? QColor(30, 30, 30) : QColor(240, 240, 240));
        QApplication::setPalette(palette);
        QCoreApplication::processEvents();
    }

    test::TestServicesClient services() const { return bus.services(Kind::session); }

    // The tray's panel, as the program makes it, reading the desktop's
    // settings on the private session bus.
    void makePanel()
    {
        PanelContentOptions options;
        options.followsDesktop = true;
        options.desktopBus = bus.connection(Kind::session);
        options.timeSources = {.systemBus = bus.connection(Kind::system), .zoneFile = {}};
        options.locale = u"en_US"_s;
        options.panelHeight = 4000;
        options.clock = [] { return paneltest::utc(2025, 3, 14, 15, 0); };
        view.reset(makePanelContent(*engine.model, std::move(options)));
    }

    // Whether the panel comes to the size of one made at `size` from the
    // start.
    bool takesTheSizeOf(orbel::TextSize size) const
    {
        PanelContentOptions options;
        options.environment.textSize = size;
        options.locale = u"en_US"_s;
        options.panelHeight = 4000;
        options.clock = [] { return paneltest::utc(2025, 3, 14, 15, 0); };
        const std::unique_ptr<MenuView> reference(makePanelContent(*engine.model, std::move(options)));
        reference->show();
        fakes::settle();
        const QSize wanted = reference->sizeHint();
        return QTest::qWaitFor([&] { return view->sizeHint() == wanted; }, 5000);
    }

    orbel::ColorScheme scheme() const { return view->environment().scheme; }
    bool becomes(orbel::ColorScheme wanted) const
    {
        return QTest::qWaitFor([&] { return scheme() == wanted; }, 5000);
    }

    // Destroyed from the bottom up: the panel before the model, both before
    // the buses.
    test::TestBus bus;
    paneltest::ReadoutModel engine;
    const QPalette savedPalette = QApplication::palette();
    const QFont savedFont = QApplication::font();
    std::unique_ptr<MenuView> view;
};

} // namespace

// The portal's preference beats the palette, changes arrive live, and "no
// preference" hands the choice back to the palette.
TEST_F(DesktopAppearancePanel, FollowsThePortalsColourSchemeLive)
{
    services().setPortalSetting(appearance, colorScheme, prefersDark, false);
    makePanel();
    ASSERT_TRUE(becomes(orbel::ColorScheme::Dark));
    // The panel hands it on to what it contains.
    EXPECT_EQ(view->readout()->environment().scheme, orbel::ColorScheme::Dark);
    EXPECT_FALSE(view->environment().reduceMotion);

    services().setPortalSetting(appearance, colorScheme, prefersLight, true);
    ASSERT_TRUE(becomes(orbel::ColorScheme::Light));
    EXPECT_EQ(view->readout()->environment().scheme, orbel::ColorScheme::Light);

    // While the desktop prefers light, a dark palette changes nothing.
    setPalette(true);
    EXPECT_EQ(scheme(), orbel::ColorScheme::Light);

    services().setPortalSetting(appearance, colorScheme, noPreference, true);
    EXPECT_TRUE(becomes(orbel::ColorScheme::Dark));
}

// A portal that never answers holds nothing up: the panel is made and drawn
// from the palette at once, changes the portal announces still arrive, and
// the panel can go while its questions are unanswered.
TEST_F(DesktopAppearancePanel, AHangingPortalBlocksNothing)
{
    services().setBehaviour(portal, u"Read"_s, u"hang"_s);
    services().setPortalSetting(appearance, colorScheme, prefersDark, false);

    QElapsedTimer made;
    made.start();
    makePanel();
    view->show();
    engine.model->setPanelVisible(true);
    engine.startSession(SessionDuration::hour1());
    EXPECT_FALSE(view->grab().isNull());
    // Far below the 25 s a blocking call would wait for its answer.
    EXPECT_LT(made.elapsed(), 10'000);
    EXPECT_EQ(scheme(), orbel::ColorScheme::Light);
    EXPECT_EQ(view->readout()->currentBoard().word(), u"01:00:00"_s);

    services().setPortalSetting(appearance, u"reduced-motion"_s, 1u, true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->environment().reduceMotion; }, 5000));

    view.reset();
    fakes::settle();
}

// The open panel takes the text size the desktop asks for, whenever it
// changes: on GNOME the portal's text scale, else the application font
// against the usual 10 points, never smaller than the everyday size. So do
// the tiles before a session and the session's buttons during one.
TEST_F(DesktopAppearancePanel, FollowsTheDesktopsTextSizeLive)
{
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    makePanel();
    view->show();
    engine.model->setPanelVisible(true);
    const auto portalScale = [this](double scale) {
        return [this, scale] { services().setPortalSetting(gnomeInterface, textScaling, scale, true); };
    };
    const auto applicationFont = [](double points) {
        return [points] {
            QFont font = QApplication::font();
            font.setPointSizeF(points);
            QApplication::setFont(font);
        };
    };
    const struct {
        const char *setting;
        std::function<void()> apply;
        orbel::TextSize size;
    } steps[] = {
        // Without a portal answer, the font decides.
        {"a font twice the usual size", applicationFont(20), orbel::TextSize::Accessibility2},
        {"Qt's own smaller fallback font", applicationFont(9), orbel::TextSize::Large},
        // The portal's answer, once there, wins over the font.
        {"GNOME's large text", portalScale(1.25), orbel::TextSize::XXLarge},
        {"the largest text scale", portalScale(3), orbel::TextSize::Accessibility5},
        {"a font that the portal overrides", applicationFont(20), orbel::TextSize::Accessibility5},
        {"the usual text scale", portalScale(1), orbel::TextSize::Large},
    };
    // During a session, with the portal's answer in, once more from GNOME's
    // large text on.
    for (const bool session : {false, true}) {
        if (session)
            engine.startSession(SessionDuration::hour1());
        for (const auto &step : std::span(steps).subspan(session ? 2 : 0)) {
            SCOPED_TRACE(std::string(step.setting) + (session ? ", during a session" : ""));
            step.apply();
            EXPECT_TRUE(takesTheSizeOf(step.size));
        }
    }

    // Other desktops' portals answer GNOME's default whatever size the
    // desktop was set to: the font decides there.
    qputenv("XDG_CURRENT_DESKTOP", "XFCE");
    makePanel();
    view->show();
    EXPECT_TRUE(takesTheSizeOf(orbel::TextSize::Accessibility2));

    // A panel opened afresh on GNOME keeps the size it was made at until the
    // portal answers, whatever the font, then takes the size asked for.
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    services().setBehaviour(portal, u"Read"_s, u"late:1000"_s);
    services().setPortalSetting(gnomeInterface, textScaling, 3.0, false);
    makePanel();
    view->show();
    EXPECT_TRUE(takesTheSizeOf(orbel::TextSize::Large));
    EXPECT_TRUE(takesTheSizeOf(orbel::TextSize::Accessibility5));
}
