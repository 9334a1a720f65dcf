#pragma once

// Helpers of the panel tests: the application model over the engine's fakes,
// wall-clock dates, and the whole panel on the model with a hand-set clock.

#include "app/fake_app_model.h"

#include "duration_grid.h"
#include "menu_view.h"
#include "orbel_switch.h"
#include "panel_header.h"

#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <memory>
#include <ostream>

// Texts in test output as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelorin::paneltest {

// The model over the fakes, running unless it is a snapshot's.
struct ReadoutModel : fakes::FakeAppModel {
    explicit ReadoutModel(bool isSnapshot = false) : FakeAppModel(isSnapshot)
    {
        if (!isSnapshot)
            start();
    }
};

// A wall-clock instant given in UTC (the tests run with TZ=UTC).
inline Date utc(int year, unsigned month, unsigned day, int hour, int minute)
{
    using namespace std::chrono;
    const sys_seconds instant = sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute};
    return Date::fromUnixSeconds(static_cast<double>(instant.time_since_epoch().count()));
}

// The C library's local zone set through TZ for as long as this lives (a
// POSIX rule needs no zone files on the machine), then UTC again, the zone
// the tests run in.
class LocalZone {
public:
    explicit LocalZone(const char *zone) { set(zone); }
    ~LocalZone() { set("UTC"); }
    LocalZone(const LocalZone &) = delete;
    LocalZone &operator=(const LocalZone &) = delete;

    static void set(const char *zone)
    {
        qputenv("TZ", zone);
        ::tzset();
    }
};

// On screen: the widget and everything that holds it are shown.
inline bool shown(const QWidget *widget)
{
    return widget && widget->isVisible();
}

inline std::optional<orbel::PanelStatus> dotOf(const MenuView &view)
{
    if (const auto *status = std::get_if<orbel::PanelStatus>(&view.panel()->dot()))
        return *status;
    return std::nullopt;
}

// A model (running, unless a snapshot's) and the panel on it, open at its own
// size, in US English with the wall clock at 15:00. The height limit is well
// above any panel, so no test depends on the test screen's size.
struct PanelFixture {
    explicit PanelFixture(bool isSnapshot = false) : engine(isSnapshot)
    {
        engine.clock.wall = utc(2025, 3, 14, 15, 0);
        orbel::OrbelEnvironment environment;
        environment.reduceMotion = true;
        view = std::make_unique<MenuView>(*engine.model, environment, QStringLiteral("en_US"), 4000,
                                          [this] { return engine.clock.wall; });
        view->show();
        view->resize(view->sizeHint());
        fakes::settle();
    }

    QString status() const { return view->panel()->header()->status(); }
    orbel::OrbelSwitch *masterSwitch() const { return view->panel()->header()->masterSwitch(); }
    Countdown &countdown() const { return engine.countdown(); }
    fakes::FakeEnergyService &service() const { return *engine.service; }

    // Clicks the tile, which asks for the session's locks.
    void clickTile(const SessionDuration &duration) { click(view->grid()->tile(duration)); }
    void click(QWidget *control)
    {
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton);
        fakes::settle();
    }

    // Declared before the panel, so the panel goes first.
    ReadoutModel engine;
    std::unique_ptr<MenuView> view;
};

} // namespace pelorin::paneltest
