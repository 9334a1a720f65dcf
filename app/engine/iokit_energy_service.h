#pragma once

#include "energy_assertion_driver.h"
#include "energy_service.h"
#include "wake.h"

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace pelorin {

// Turns sessions into desktop locks and back, remembering which locks belong
// to which session so that release and renewal go by session.
//
// The driver's calls wait on the services, so operations could overlap. Each
// session's operations take turns instead, in the order they were asked for:
// a release never runs while an acquire or a renewal of the same session is
// still waiting for its locks.
class IOKitEnergyService final : public EnergyService {
public:
    explicit IOKitEnergyService(std::unique_ptr<EnergyAssertionDriver> driver);

    QCoro::Task<> acquire(Session session, std::optional<Duration> remaining) override;
    QCoro::Task<> release(SessionID id) override;
    QCoro::Task<> extend(Session session, std::optional<Duration> remaining) override;

    // The locks held per session: the system lock first, then the display
    // lock; after a partly failed release, the ones that could not be released.
    const std::unordered_map<SessionID, std::vector<EnergyAssertionID>> &assertions() const { return m_assertions; }
    EnergyAssertionDriver &driver() const { return *m_driver; }

private:
    class Turn;
    // Waits until no other operation on the session runs.
    QCoro::Task<> takeTurn(SessionID id);
    void endTurn(const SessionID &id);

    QCoro::Task<> releaseHeld(SessionID id);
    void driverLost(EnergyAssertionID assertion, const EnergyFailure &failure);
    void driverGone(EnergyAssertionID assertion);

    std::unique_ptr<EnergyAssertionDriver> m_driver;
    std::unordered_map<SessionID, std::vector<EnergyAssertionID>> m_assertions;
    // Sessions with an operation under way, and the operations waiting for
    // their turn after it.
    std::unordered_map<SessionID, std::deque<Wake::Trigger>> m_turns;
    // The new locks of a renewal under way, not yet in the table.
    std::unordered_map<SessionID, std::vector<EnergyAssertionID>> m_renewing;
};

} // namespace pelorin
