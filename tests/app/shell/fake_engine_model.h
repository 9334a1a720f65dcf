#pragma once

// An application model over the engine's fakes: a service whose operations
// stay pending until the test finishes them, hand-fired waits, a hand-moved
// clock, settings in a temporary folder and a login item that counts reads.

#include "app/engine_fakes.h"
#include "shell_test_support.h"

#include <QTemporaryDir>

#include <memory>

namespace pelorin::shelltest {

struct FakeEngineModel {
    FakeEngineModel() { make(false); }

    ~FakeEngineModel()
    {
        // Whatever a test left pending ends here, so no coroutine outlives it.
        model.reset();
        fakes::settle();
        waits.endAll();
        service->finishAll();
        fakes::settle();
    }

    void make(bool isSnapshot)
    {
        model.reset();
        auto controller =
            std::make_unique<SessionController>(SessionState::inactive(), service, clock.nowFunction(),
                                                clock.monotonicFunction(), clock.makeIDFunction(), waits.function());
        auto countdown = std::make_unique<Countdown>(std::move(controller));
        std::unique_ptr<LoginItemService> login;
        if (!isSnapshot)
            login = std::make_unique<CountingLoginItem>(loginReads);
        auto preferences = std::make_unique<PelorinPreferences>(settingsPath(), isSnapshot, std::move(login));
        countdown->setIsArmed([p = preferences.get()] { return p->armed(); });
        model = std::make_unique<AppModel>(std::move(countdown), std::move(preferences), false, false, isSnapshot);
    }

    QString settingsPath() const { return dir.filePath(QStringLiteral("Pelorin.conf")); }
    SessionController &controller() const { return model->countdown().sessions(); }
    SessionState::Kind state() const { return model->countdown().state().kind(); }

    std::shared_ptr<fakes::FakeEnergyService> service = std::make_shared<fakes::FakeEnergyService>();
    fakes::FakeClock clock;
    fakes::FakeWaits waits;
    QTemporaryDir dir;
    std::shared_ptr<int> loginReads = std::make_shared<int>(0);
    std::unique_ptr<AppModel> model;
};

} // namespace pelorin::shelltest
