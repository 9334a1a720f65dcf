#pragma once

#include "energy_failure.h"

#include <QHashFunctions>

#include <cstdint>
#include <functional>
#include <optional>

namespace pelorin {

// Names one lock taken through an EnergyAssertionDriver.
struct EnergyAssertionID {
    std::uint32_t rawValue = 0;
    constexpr bool operator==(const EnergyAssertionID &) const = default;
};

inline size_t qHash(EnergyAssertionID id, size_t seed = 0) noexcept
{
    return ::qHash(id.rawValue, seed);
}

// Takes and releases one desktop lock at a time. Both calls are synchronous
// and throw only EnergyFailure.
class EnergyAssertionDriver {
public:
    virtual ~EnergyAssertionDriver() = default;

    // Takes a lock that stops idle suspend, or with `display` one that also
    // keeps the display on. With a time-out (seconds) the lock lets go by
    // itself once that much time has passed.
    virtual EnergyAssertionID create(bool display, std::optional<double> timeout) = 0;
    virtual void release(EnergyAssertionID id) = 0;
};

} // namespace pelorin

template<>
struct std::hash<pelorin::EnergyAssertionID> {
    std::size_t operator()(pelorin::EnergyAssertionID id) const noexcept { return id.rawValue; }
};
