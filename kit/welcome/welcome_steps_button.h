#pragma once

#include <QString>

#include <functional>

namespace orbel {

// A footer button of a welcome page, as the page's caller describes it.
struct WelcomeStepsButton {
    QString title;
    bool isDisabled = false;
    std::function<void()> action;
};

} // namespace orbel
