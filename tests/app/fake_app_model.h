#pragma once

// The application model over the engine's fakes: lock operations that wait
// for the test, hand-fired waits, a hand-moved clock, settings in a folder of
// its own and a FakeLoginItem (none in a snapshot model).

#include "app/engine_fakes.h"

#include "app_model.h"
#include "countdown.h"
#include "pelorin_preferences.h"

#include <QCoroTask>
#include <QTemporaryDir>

#include <memory>

namespace pelorin::fakes {

struct FakeAppModel : EngineFakes {
    explicit FakeAppModel(bool isSnapshot = false) { make(isSnapshot); }

    ~FakeAppModel()
    {
        // Whatever a test left pending ends here, so no coroutine outlives it.
        if (model && login) {
            login->hold = false;
            login->release();
        }
        model.reset();
        endPending();
    }

    FakeAppModel(const FakeAppModel &) = delete;
    FakeAppModel &operator=(const FakeAppModel &) = delete;

    void make(bool isSnapshot)
    {
        model.reset();
        login = nullptr;
        auto countdown = std::make_unique<Countdown>(makeController());
        std::unique_ptr<LoginItemService> item;
        if (!isSnapshot) {
            auto fake = std::make_unique<FakeLoginItem>();
            login = fake.get();
            item = std::move(fake);
        }
        auto preferences = std::make_unique<PelorinPreferences>(settingsPath(), isSnapshot, std::move(item));
        countdown->setIsArmed([p = preferences.get()] { return p->armed(); });
        model = std::make_unique<AppModel>(std::move(countdown), std::move(preferences), false, false, isSnapshot);
    }

    void start() { QCoro::waitFor(model->start()); }

    QString settingsPath() const { return dir.filePath(QStringLiteral("Pelorin.conf")); }
    Countdown &countdown() const { return model->countdown(); }
    SessionController &controller() const { return countdown().sessions(); }
    PelorinPreferences &preferences() const { return model->preferences(); }
    SessionState::Kind state() const { return countdown().state().kind(); }

    // Starts a session and lets its locks be taken.
    void startSession(const SessionDuration &duration)
    {
        countdown().start(duration);
        settle();
        service->last().succeed();
        settle();
    }
    // Ends the session; with `release`, lets the locks go as well.
    void endSession(bool release = true)
    {
        countdown().stop();
        settle();
        if (release) {
            service->last().succeed();
            settle();
        }
    }
    void extendSession()
    {
        countdown().extend();
        settle();
        service->last().succeed();
        settle();
    }
    void advance(Duration span) { clock.monotonic += span; }

    // The login item reports `state` from now on, and the preferences read it.
    void setLoginState(LoginItemState state)
    {
        login->state = state;
        preferences().refreshLoginState();
    }
    // A change that fails, leaving the item as it was.
    void failAChange()
    {
        login->fail = true;
        preferences().setOpenAtLogin(!preferences().opensAtLogin());
        login->fail = false;
    }
    // A change that stays under way until releaseChange().
    void holdAChange(bool enabled)
    {
        login->hold = true;
        preferences().setOpenAtLogin(enabled);
    }
    void releaseChange()
    {
        login->hold = false;
        login->release();
        settle();
    }

    QTemporaryDir dir;
    FakeLoginItem *login = nullptr; // owned by the preferences
    std::unique_ptr<AppModel> model;
};

} // namespace pelorin::fakes
