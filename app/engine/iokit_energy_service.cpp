#include "iokit_energy_service.h"

#include <cmath>

namespace pelorin {

// Held for the length of one operation on a session; the next one waiting
// goes on when it ends.
class IOKitEnergyService::Turn {
public:
    Turn(IOKitEnergyService *service, SessionID id) : m_service(service), m_id(id) {}
    Turn(const Turn &) = delete;
    Turn &operator=(const Turn &) = delete;
    ~Turn() { m_service->endTurn(m_id); }

private:
    IOKitEnergyService *m_service;
    SessionID m_id;
};

QCoro::Task<> IOKitEnergyService::takeTurn(SessionID id)
{
    // Free: the turn is this operation's at once.
    if (m_turns.try_emplace(id).second)
        co_return;
    // The service cannot go while one of its operations waits: its callers
    // hold it.
    Wake turn;
    m_turns[id].push_back(turn.trigger());
    co_await turn;
}

void IOKitEnergyService::endTurn(const SessionID &id)
{
    const auto it = m_turns.find(id);
    if (it == m_turns.end())
        return;
    if (it->second.empty()) {
        m_turns.erase(it);
        return;
    }
    // The next one goes on at a later turn of the event loop, so the
    // operation that ends now has finished before it starts.
    const Wake::Trigger next = it->second.front();
    it->second.pop_front();
    next.fire();
}

IOKitEnergyService::IOKitEnergyService(std::unique_ptr<EnergyAssertionDriver> driver) : m_driver(std::move(driver))
{
    m_driver->setLostHandler(
        [this](EnergyAssertionID assertion, const EnergyFailure &failure) { driverLost(assertion, failure); });
    m_driver->setGoneHandler([this](EnergyAssertionID assertion) { driverGone(assertion); });
}

void IOKitEnergyService::driverGone(EnergyAssertionID assertion)
{
    for (auto it = m_assertions.begin(); it != m_assertions.end(); ++it) {
        std::vector<EnergyAssertionID> &list = it->second;
        const auto found = std::ranges::find(list, assertion);
        if (found == list.end())
            continue;
        list.erase(found);
        const SessionID session = it->first;
        if (list.empty())
            m_assertions.erase(it);
        // An operation under way on the session settles the rest itself.
        if (m_turns.contains(session))
            return;
        // The one release the driver still allows, so it forgets the lock.
        m_driver->release(assertion);
        if (!m_assertions.contains(session))
            reportReleased(session);
        return;
    }
}

void IOKitEnergyService::driverLost(EnergyAssertionID assertion, const EnergyFailure &failure)
{
    for (const auto *table : {&m_assertions, &m_renewing}) {
        for (const auto &[id, list] : *table) {
            if (std::ranges::find(list, assertion) != list.end()) {
                const SessionID session = id;
                reportLost(session, failure);
                return;
            }
        }
    }
}

QCoro::Task<> IOKitEnergyService::acquire(Session session, std::optional<Duration> remaining)
{
    co_await takeTurn(session.id);
    const Turn turn(this, session.id);

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

    const EnergyAssertionID system = co_await m_driver->create(false, timeout);
    m_assertions[session.id] = {system};
    if (!session.selection.keepsDisplayAwake)
        co_return;

    std::optional<EnergyFailure> displayFailure;
    try {
        const EnergyAssertionID display = co_await m_driver->create(true, timeout);
        m_assertions[session.id].push_back(display);
    } catch (const EnergyFailure &failure) {
        displayFailure = failure;
    }
    if (!displayFailure)
        co_return;

    // Roll back the system lock; a failed rollback is the more serious news.
    co_await releaseHeld(session.id);
    throw *displayFailure;
}

QCoro::Task<> IOKitEnergyService::release(SessionID id)
{
    co_await takeTurn(id);
    const Turn turn(this, id);
    co_await releaseHeld(id);
}

QCoro::Task<> IOKitEnergyService::releaseHeld(SessionID id)
{
    if (!m_assertions.contains(id))
        co_return;

    const std::vector<EnergyAssertionID> held = m_assertions[id];
    std::vector<EnergyAssertionID> failed;
    std::optional<EnergyFailure> lastFailure;
    for (const EnergyAssertionID assertion : held) {
        try {
            co_await m_driver->release(assertion);
        } catch (const EnergyFailure &failure) {
            failed.push_back(assertion);
            lastFailure = failure;
        }
    }
    // What could not be let go stays, less what went by itself meanwhile
    // (that left the table already; the driver may forget it now).
    const std::vector<EnergyAssertionID> current = m_assertions[id];
    std::vector<EnergyAssertionID> leftovers;
    for (const EnergyAssertionID assertion : failed) {
        if (std::ranges::find(current, assertion) != current.end()) {
            leftovers.push_back(assertion);
            continue;
        }
        try {
            co_await m_driver->release(assertion);
        } catch (const EnergyFailure &) {
            // Gone already.
        }
    }
    if (leftovers.empty()) {
        m_assertions.erase(id);
        co_return;
    }
    m_assertions[id] = std::move(leftovers);
    throw EnergyFailure(EnergyFailure::Operation::release, lastFailure->code, true);
}

QCoro::Task<> IOKitEnergyService::extend(Session session, std::optional<Duration> remaining)
{
    co_await takeTurn(session.id);
    const Turn turn(this, session.id);

    if (!m_assertions.contains(session.id))
        co_return;
    if (!remaining || *remaining <= Duration::zero())
        co_return;
    const double timeout = remaining->toSeconds();

    // (Not a braced initialiser: GCC 12 cannot build one around a co_await.)
    std::vector<EnergyAssertionID> renewed;
    const EnergyAssertionID system = co_await m_driver->create(false, timeout);
    renewed.push_back(system);
    m_renewing[session.id] = renewed;
    if (session.selection.keepsDisplayAwake) {
        std::optional<EnergyFailure> displayFailure;
        try {
            const EnergyAssertionID display = co_await m_driver->create(true, timeout);
            renewed.push_back(display);
        } catch (const EnergyFailure &failure) {
            displayFailure = failure;
        }
        m_renewing.erase(session.id);
        if (displayFailure) {
            for (const EnergyAssertionID assertion : renewed) {
                try {
                    co_await m_driver->release(assertion);
                } catch (const EnergyFailure &) {
                    // The new lock still ends at its time-out.
                }
            }
            throw *displayFailure;
        }
    }

    m_renewing.erase(session.id);
    // The new locks are in place before any old one goes, so the machine is
    // never left unguarded during the swap.
    std::vector<EnergyAssertionID> old = std::move(m_assertions[session.id]);
    m_assertions[session.id] = renewed;
    std::vector<EnergyAssertionID> stuck;
    for (const EnergyAssertionID assertion : old) {
        try {
            co_await m_driver->release(assertion);
        } catch (const EnergyFailure &) {
            stuck.push_back(assertion);
        }
    }
    auto &list = m_assertions[session.id];
    list.insert(list.end(), stuck.begin(), stuck.end());
}

} // namespace pelorin
