#pragma once

#include <QCoroTask>

#include <cstdint>

namespace pelorin {

// Where "Open at Login" stands:
// - disabled: not registered;
// - enabled: registered, and the program will start at login;
// - requiresApproval: registered, but switched off in the desktop's own
//   startup settings, where the user has to turn it back on;
// - unavailable: the program can't be registered here at all.
enum class LoginItemState : std::uint8_t { disabled, enabled, requiresApproval, unavailable };

// Whether the "Open at Login" switches show on: a registration that waits for
// the user's approval counts as on.
constexpr bool opensAtLogin(LoginItemState state)
{
    return state == LoginItemState::enabled || state == LoginItemState::requiresApproval;
}

// The program's own login item. Used on the main thread only.
class LoginItemService {
public:
    virtual ~LoginItemService() = default;

    // The current state, read afresh each time.
    virtual LoginItemState status() const = 0;
    // Registers (true) or unregisters (false) the program. On failure the task
    // throws a std::exception whose what() describes it.
    virtual QCoro::Task<> setEnabled(bool enabled) = 0;
    // Opens the desktop's settings for the programs started at login.
    virtual void openSettings() = 0;
};

} // namespace pelorin
