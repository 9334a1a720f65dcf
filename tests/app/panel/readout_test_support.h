#pragma once

// Helpers of the readout tests: an application model over the engine's fakes
// (locks that wait for the test, a hand-moved clock), wall-clock dates, and
// rendering widgets into pictures and the panel gallery.

#include "app/engine_fakes.h"

#include "app_model.h"
#include "countdown.h"
#include "login_item_service.h"
#include "pelorin_preferences.h"
#include "widget_pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QLayout>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>

namespace pelorin::readouttest {

// A login item that is never registered.
class IdleLoginItem final : public LoginItemService {
public:
    LoginItemState status() const override { return LoginItemState::disabled; }
    QCoro::Task<> setEnabled(bool) override { co_return; }
    void openSettings() override {}
};

// The application model over a fake lock service and a hand-moved clock. A
// snapshot model takes staged states instead.
struct ReadoutModel {
    explicit ReadoutModel(bool isSnapshot = false)
    {
        auto controller =
            std::make_unique<SessionController>(SessionState::inactive(), service, clock.nowFunction(),
                                                clock.monotonicFunction(), clock.makeIDFunction(), waits.function());
        auto countdown = std::make_unique<Countdown>(std::move(controller));
        std::unique_ptr<LoginItemService> login;
        if (!isSnapshot)
            login = std::make_unique<IdleLoginItem>();
        auto preferences = std::make_unique<PelorinPreferences>(dir.filePath(QStringLiteral("Pelorin.conf")),
                                                                isSnapshot, std::move(login));
        countdown->setIsArmed([p = preferences.get()] { return p->armed(); });
        model = std::make_unique<AppModel>(std::move(countdown), std::move(preferences), false, false, isSnapshot);
        if (!isSnapshot)
            QCoro::waitFor(model->start());
    }

    ~ReadoutModel()
    {
        // Whatever a test left pending ends here, so no coroutine outlives it.
        model.reset();
        fakes::settle();
        waits.endAll();
        service->finishAll();
        fakes::settle();
    }

    ReadoutModel(const ReadoutModel &) = delete;
    ReadoutModel &operator=(const ReadoutModel &) = delete;

    Countdown &countdown() const { return model->countdown(); }
    SessionState::Kind state() const { return countdown().state().kind(); }

    // Starts a session and lets its locks be taken.
    void startSession(const SessionDuration &duration)
    {
        countdown().start(duration);
        fakes::settle();
        service->last().succeed();
        fakes::settle();
    }
    // Ends the session; with `release`, lets the locks go as well.
    void endSession(bool release = true)
    {
        countdown().stop();
        fakes::settle();
        if (release) {
            service->last().succeed();
            fakes::settle();
        }
    }
    void extendSession()
    {
        countdown().extend();
        fakes::settle();
        service->last().succeed();
        fakes::settle();
    }
    void advance(Duration span) { clock.monotonic += span; }

    std::shared_ptr<fakes::FakeEnergyService> service = std::make_shared<fakes::FakeEnergyService>();
    fakes::FakeClock clock;
    fakes::FakeWaits waits;
    QTemporaryDir dir;
    std::unique_ptr<AppModel> model;
};

// A wall-clock instant given in UTC (the tests run with TZ=UTC).
inline Date utc(int year, unsigned month, unsigned day, int hour, int minute, int second = 0)
{
    using namespace std::chrono;
    const sys_seconds instant =
        sys_days{std::chrono::year{year} / month / day} + hours{hour} + minutes{minute} + seconds{second};
    return Date::fromUnixSeconds(static_cast<double>(instant.time_since_epoch().count()));
}

using pelorin::test::layOut;
using pelorin::test::render;

// The seven staged states of a snapshot, by name.
struct StagedState {
    const char *name;
    int fixture;
};

inline constexpr StagedState stagedStates[] = {
    {"ready", AppModel::Ready},
    {"off", AppModel::Off},
    {"active", AppModel::Active},
    {"failure", AppModel::Failure},
    {"retained-failure", AppModel::RetainedFailure},
    {"starting", AppModel::Starting},
    {"stopping", AppModel::Stopping},
};


} // namespace pelorin::readouttest
