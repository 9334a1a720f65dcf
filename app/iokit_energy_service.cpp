#include "iokit_energy_service.h"

#include <cmath>

namespace pelorin {

IOKitEnergyService::IOKitEnergyService(std::unique_ptr<EnergyAssertionDriver> driver) : m_driver(std::move(driver))
{
}

QCoro::Task<> IOKitEnergyService::acquire(Session session, std::optional<Duration> remaining)
{
    if (m_assertions.contains(session.id))
        co_return;
    if (!session.selection.duration.isValid())
        throw EnergyFailure::invalidDuration();

    std::optional<double> timeout;
    if (remaining) {
        const double seconds = remaining->toSeconds();
        if (!(seconds > 0) || !std::isfinite(seconds))
            throw EnergyFailure::invalidDuration();
        timeout = seconds;
    } else if (session.effectiveDuration) {
        throw EnergyFailure::invalidDuration();
    }

    const EnergyAssertionID system = m_driver->create(false, timeout);
    m_assertions[session.id] = {system};
    if (!session.selection.keepsDisplayAwake)
        co_return;

    std::optional<EnergyFailure> displayFailure;
    try {
        const EnergyAssertionID display = m_driver->create(true, timeout);
        m_assertions[session.id].push_back(display);
    } catch (const EnergyFailure &failure) {
        displayFailure = failure;
    }
    if (!displayFailure)
        co_return;

    // Roll back the system lock; a failed rollback is the more serious news.
    co_await release(session.id);
    throw *displayFailure;
}

QCoro::Task<> IOKitEnergyService::release(SessionID id)
{
    const auto entry = m_assertions.find(id);
    if (entry == m_assertions.end())
        co_return;

    std::vector<EnergyAssertionID> leftovers;
    std::optional<EnergyFailure> lastFailure;
    for (const EnergyAssertionID assertion : entry->second) {
        try {
            m_driver->release(assertion);
        } catch (const EnergyFailure &failure) {
            leftovers.push_back(assertion);
            lastFailure = failure;
        }
    }
    if (leftovers.empty())
        m_assertions.erase(entry);
    else
        entry->second = std::move(leftovers);

    if (lastFailure)
        throw EnergyFailure(EnergyFailure::Operation::release, lastFailure->code, true);
}

QCoro::Task<> IOKitEnergyService::extend(Session session, std::optional<Duration> remaining)
{
    if (!m_assertions.contains(session.id))
        co_return;
    if (!remaining || *remaining <= Duration::zero())
        co_return;
    const double timeout = remaining->toSeconds();

    std::vector<EnergyAssertionID> renewed{m_driver->create(false, timeout)};
    if (session.selection.keepsDisplayAwake) {
        try {
            renewed.push_back(m_driver->create(true, timeout));
        } catch (const EnergyFailure &) {
            for (const EnergyAssertionID assertion : renewed) {
                try {
                    m_driver->release(assertion);
                } catch (const EnergyFailure &) {
                    // The new lock still ends at its time-out.
                }
            }
            throw;
        }
    }

    // The new locks are in place before any old one goes, so the machine is
    // never left unguarded during the swap.
    std::vector<EnergyAssertionID> old = std::move(m_assertions[session.id]);
    m_assertions[session.id] = renewed;
    std::vector<EnergyAssertionID> stuck;
    for (const EnergyAssertionID assertion : old) {
        try {
            m_driver->release(assertion);
        } catch (const EnergyFailure &) {
            stuck.push_back(assertion);
        }
    }
    auto &list = m_assertions[session.id];
    list.insert(list.end(), stuck.begin(), stuck.end());
}

} // namespace pelorin
