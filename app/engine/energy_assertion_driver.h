#pragma once

#include "energy_failure.h"

#include <QCoroTask>
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

// Takes and releases one desktop lock at a time. Both calls run on the main
// thread, never block it, and throw only EnergyFailure.
class EnergyAssertionDriver {
public:
    // A held lock went away by itself and could not be taken again.
    using LostHandler = std::function<void(EnergyAssertionID, const EnergyFailure &)>;
    // A lock went by itself, as it should: its time-out passed, or a release
    // that had failed went through after all. Its ID needs no release (one
    // still succeeds).
    using GoneHandler = std::function<void(EnergyAssertionID)>;

    virtual ~EnergyAssertionDriver() = default;

    // Takes a lock that stops idle suspend, or with `display` one that also
    // keeps the display on. With a time-out (seconds) the lock lets go by
    // itself once that much time has passed.
    virtual QCoro::Task<EnergyAssertionID> create(bool display, std::optional<double> timeout) = 0;
    virtual QCoro::Task<> release(EnergyAssertionID id) = 0;

    void setLostHandler(LostHandler handler) { m_lost = std::move(handler); }
    void setGoneHandler(GoneHandler handler) { m_gone = std::move(handler); }

protected:
    void reportLost(EnergyAssertionID id, const EnergyFailure &failure) const
    {
        if (m_lost)
            m_lost(id, failure);
    }
    void reportGone(EnergyAssertionID id) const
    {
        if (m_gone)
            m_gone(id);
    }

private:
    LostHandler m_lost;
    GoneHandler m_gone;
};

} // namespace pelorin

template<>
struct std::hash<pelorin::EnergyAssertionID> {
    std::size_t operator()(pelorin::EnergyAssertionID id) const noexcept { return id.rawValue; }
};
