#pragma once

#include <cstdint>

namespace pelorin {

// The one error of the energy path: which operation failed, the platform's
// code for it, and whether locks may still be held afterwards.
struct EnergyFailure {
    // `lost`: a session that was running could not be kept awake any more
    // (its lock went and could not be taken again, or its end could not be
    // kept track of).
    enum class Operation : std::uint8_t { createSystem, createDisplay, release, invalidDuration, lost };

    Operation operation = Operation::invalidDuration;
    std::int32_t code = 0;
    bool retainsResources = false;

    constexpr EnergyFailure() = default;
    // A failed release always retains resources, whatever is passed.
    constexpr EnergyFailure(Operation op, std::int32_t failureCode, bool retains)
        : operation(op), code(failureCode), retainsResources(retains || op == Operation::release)
    {
    }

    static constexpr EnergyFailure invalidDuration() { return {Operation::invalidDuration, 0, false}; }

    constexpr bool operator==(const EnergyFailure &) const = default;
};

} // namespace pelorin
