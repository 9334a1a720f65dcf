#pragma once

// Helpers of the readout tests: an application model over the engine's fakes
// (locks that wait for the test, a hand-moved clock), wall-clock dates, and
// rendering widgets into pictures.

#include "app/fake_app_model.h"

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

// The model over the fakes, running unless it is a snapshot's.
struct ReadoutModel : fakes::FakeAppModel {
    explicit ReadoutModel(bool isSnapshot = false) : FakeAppModel(isSnapshot)
    {
        if (!isSnapshot)
            start();
    }
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
    AppModel::Scenario fixture;
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
