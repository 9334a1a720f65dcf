#pragma once

// Helpers of the panel tests: the whole panel over the engine's fakes with a
// hand-set wall clock, and how its parts are read.

#include "readout_test_support.h"

#include "bordered_button.h"
#include "duration_grid.h"
#include "menu_view.h"
#include "notice_card.h"
#include "orbel_switch.h"
#include "panel_content.h"
#include "panel_header.h"
#include "text_label.h"

#include <QTest>

#include <memory>

namespace pelorin::paneltest {

using readouttest::ReadoutModel;
using readouttest::utc;

// Shown or hidden as far as the panel decides, whether or not the panel
// itself is on screen.
inline bool shown(const QWidget *widget)
{
    return widget && !widget->isHidden();
}

inline QString statusOf(const MenuView &view)
{
    return view.panel()->header()->status();
}

inline std::optional<orbel::PanelStatus> dotOf(const MenuView &view)
{
    if (const auto *status = std::get_if<orbel::PanelStatus>(&view.panel()->dot()))
        return *status;
    return std::nullopt;
}

inline orbel::OrbelSwitch *masterSwitch(const MenuView &view)
{
    return view.panel()->header()->masterSwitch();
}

// A live model (started, armed, over fakes) and the panel on it, in US
// English with the wall clock at the fake clock's time.
struct PanelFixture {
    // The height limit is forced well above any panel, so the tests do not
    // depend on the size of the test platform's screen.
    explicit PanelFixture(bool isSnapshot = false, orbel::ColorScheme scheme = orbel::ColorScheme::Light,
                          std::optional<double> panelHeight = 4000)
        : engine(isSnapshot)
    {
        engine.clock.wall = utc(2025, 3, 14, 15, 0);
        orbel::OrbelEnvironment environment;
        environment.scheme = scheme;
        environment.reduceMotion = true;
        view = std::make_unique<MenuView>(*engine.model, environment, QStringLiteral("en_US"), panelHeight,
                                          [this] { return engine.clock.wall; });
    }

    ~PanelFixture() { view.reset(); }

    PanelFixture(const PanelFixture &) = delete;
    PanelFixture &operator=(const PanelFixture &) = delete;

    // Puts the panel on screen at its own size, as the tray's window does.
    void open()
    {
        view->show();
        view->resize(view->sizeHint());
        settle();
    }

    void settle()
    {
        fakes::settle();
        if (view->layout())
            view->layout()->activate();
    }

    Countdown &countdown() const { return engine.countdown(); }
    PelorinPreferences &preferences() const { return engine.model->preferences(); }
    fakes::FakeEnergyService &service() const { return *engine.service; }

    // Starts a session from its tile and leaves it starting.
    void clickTile(const SessionDuration &duration)
    {
        QTest::mouseClick(view->grid()->tile(duration), Qt::LeftButton);
        settle();
    }

    // Starts a session from its tile and lets its locks be taken.
    void startActive(const SessionDuration &duration)
    {
        clickTile(duration);
        service().last().succeed();
        settle();
    }

    ReadoutModel engine;
    std::unique_ptr<MenuView> view;
};

} // namespace pelorin::paneltest
