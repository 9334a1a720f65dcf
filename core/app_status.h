#pragma once

#include "session_state.h"

#include <string_view>

namespace pelorin {

// The coarse status the tray icon shows.
enum class AppStatus : std::uint8_t { off, on, working, failed };

constexpr AppStatus appStatus(SessionState::Kind kind)
{
    switch (kind) {
    case SessionState::Kind::inactive:
        return AppStatus::off;
    case SessionState::Kind::active:
        return AppStatus::on;
    case SessionState::Kind::starting:
    case SessionState::Kind::stopping:
        return AppStatus::working;
    case SessionState::Kind::failed:
        return AppStatus::failed;
    }
    return AppStatus::off;
}

inline AppStatus appStatus(const SessionState &state)
{
    return appStatus(state.kind());
}

// The symbol name of the tray icon for a status.
constexpr std::string_view symbolName(AppStatus status)
{
    switch (status) {
    case AppStatus::off:
        return "sun.max";
    case AppStatus::on:
    case AppStatus::working:
        return "sun.max.fill";
    case AppStatus::failed:
        return "exclamationmark.triangle.fill";
    }
    return "sun.max";
}

} // namespace pelorin
