#pragma once

#include "energy_assertion_driver.h"
#include "energy_service.h"

#include <memory>
#include <unordered_map>
#include <vector>

namespace pelorin {

// Turns sessions into desktop locks and back, remembering which locks belong
// to which session so that release and renewal go by session.
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
    std::unique_ptr<EnergyAssertionDriver> m_driver;
    std::unordered_map<SessionID, std::vector<EnergyAssertionID>> m_assertions;
};

} // namespace pelorin
