#pragma once

// Stand-ins for the session engine's collaborators: a driver that records
// every call, a service whose operations stay pending until the test lets
// them finish, a wait that ends only when the test fires it (or it is
// cancelled), and a hand-driven clock.

#include "boot_clock.h"
#include "core/core_test_support.h"
#include "energy_assertion_driver.h"
#include "energy_service.h"
#include "login_item_service.h"
#include "session_controller.h"
#include "settle.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QList>
#include <QString>

#include <algorithm>
#include <coroutine>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace pelorin::fakes {

using pelorin::test::settle;

// Runs an operation to its end and hands back what it threw, if anything.
inline QCoro::Task<std::optional<EnergyFailure>> failureOf(QCoro::Task<> operation)
{
    try {
        co_await operation;
    } catch (const EnergyFailure &failure) {
        co_return failure;
    }
    co_return std::nullopt;
}

inline std::optional<EnergyFailure> run(QCoro::Task<> operation)
{
    return QCoro::waitFor(failureOf(std::move(operation)));
}

// Calls that wait at a gate go on when the test opens it, in the order they
// came. (Awaiters get a constructor: GCC 12 destroys the members of an
// aggregate built inside a co_await expression twice.)
class Gate {
public:
    struct Awaiter {
        explicit Awaiter(Gate *g) : gate(g) {}
        Gate *gate;
        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> h) const { gate->m_waiting.push_back(h); }
        void await_resume() const noexcept {}
    };
    Awaiter wait() { return Awaiter(this); }
    void open()
    {
        for (auto waiting = std::exchange(m_waiting, {}); const auto handle : waiting)
            handle.resume();
    }

private:
    std::vector<std::coroutine_handle<>> m_waiting;
};

// Logs create and release calls in order ("create system 3600 -> 1",
// "release 1 -> fail 5") and fails the calls it is told to. IDs count up
// from 1.
class RecordingDriver final : public EnergyAssertionDriver {
public:
    // While set, every call waits until the test lets it go on with proceed().
    bool parks = false;
    std::vector<std::string> log;
    std::set<std::uint32_t> held;

    QCoro::Task<EnergyAssertionID> create(bool display, std::optional<double> timeout) override
    {
        if (parks)
            co_await m_gate.wait();
        const std::string entry = std::string(display ? "create display " : "create system ") +
                                  (timeout ? QString::number(*timeout).toStdString() : "none");
        if (auto &plan = m_createFailures[display]; !plan.empty()) {
            const std::int32_t code = plan.front();
            plan.erase(plan.begin());
            log.push_back(entry + " -> fail " + std::to_string(code));
            throw EnergyFailure(display ? EnergyFailure::Operation::createDisplay
                                        : EnergyFailure::Operation::createSystem,
                                code, false);
        }
        const std::uint32_t id = m_next++;
        held.insert(id);
        log.push_back(entry + " -> " + std::to_string(id));
        co_return EnergyAssertionID{id};
    }
    QCoro::Task<> release(EnergyAssertionID id) override
    {
        if (parks)
            co_await m_gate.wait();
        const std::string entry = "release " + std::to_string(id.rawValue);
        if (const auto planned = m_releaseFailures.extract(id.rawValue)) {
            log.push_back(entry + " -> fail " + std::to_string(planned.mapped()));
            throw EnergyFailure(EnergyFailure::Operation::release, planned.mapped(), true);
        }
        held.erase(id.rawValue);
        log.push_back(entry);
    }
    // Lets every parked call go on, in the order they came.
    void proceed() { m_gate.open(); }
    // Tells the service that a held lock went away for good.
    void lose(std::uint32_t id, const EnergyFailure &failure)
    {
        held.erase(id);
        reportLost(EnergyAssertionID{id}, failure);
    }
    // Tells the service that a lock went by itself, as it should.
    void letGo(std::uint32_t id)
    {
        held.erase(id);
        reportGone(EnergyAssertionID{id});
    }
    // The next create of that kind fails with `code`; calls queue up.
    void failNextCreate(bool display, std::int32_t code) { m_createFailures[display].push_back(code); }
    // The next release of `id` fails with `code`.
    void failRelease(std::uint32_t id, std::int32_t code) { m_releaseFailures[id] = code; }

private:
    Gate m_gate;
    std::uint32_t m_next = 1;
    std::map<bool, std::vector<std::int32_t>> m_createFailures;
    std::map<std::uint32_t, std::int32_t> m_releaseFailures;
};

// An answer the test gives by hand; whoever awaits it resumes right there.
// The first answer counts.
template<typename Answer>
struct HandAnswered {
    std::optional<Answer> answer;
    std::coroutine_handle<> waiter;

    void give(Answer a)
    {
        if (answer)
            return;
        answer = std::move(a);
        if (const auto resume = std::exchange(waiter, {}))
            resume.resume();
    }

    struct Awaiter {
        explicit Awaiter(std::shared_ptr<HandAnswered> c) : call(std::move(c)) {}
        std::shared_ptr<HandAnswered> call;
        bool await_ready() const noexcept { return call->answer.has_value(); }
        void await_suspend(std::coroutine_handle<> h) const noexcept { call->waiter = h; }
        Answer await_resume() const { return *call->answer; }
    };
};

// One pending operation of the fake service; it answers with its failure,
// if any.
struct ServiceCall : HandAnswered<std::optional<EnergyFailure>> {
    enum class Kind { acquire, release, extend };
    Kind kind = Kind::acquire;
    SessionID id;
    std::optional<Session> session;
    std::optional<Duration> remaining;

    void succeed() { finish(std::nullopt); }
    void fail(const EnergyFailure &f) { finish(f); }
    void finish(std::optional<EnergyFailure> f) { give(f); }
};

// A service whose operations stay pending until the test finishes them.
class FakeEnergyService final : public EnergyService {
public:
    QCoro::Task<> acquire(Session session, std::optional<Duration> remaining) override
    {
        return record(ServiceCall::Kind::acquire, session.id, session, remaining);
    }
    QCoro::Task<> release(SessionID id) override { return record(ServiceCall::Kind::release, id); }
    QCoro::Task<> extend(Session session, std::optional<Duration> remaining) override
    {
        return record(ServiceCall::Kind::extend, session.id, session, remaining);
    }

    std::vector<std::shared_ptr<ServiceCall>> calls;

    std::size_t count(ServiceCall::Kind kind) const
    {
        return std::ranges::count_if(calls, [kind](const auto &call) { return call->kind == kind; });
    }
    // The latest call; a test that expected one and finds none fails here
    // instead of crashing.
    ServiceCall &last()
    {
        if (calls.empty())
            throw std::logic_error("no lock operation was asked for");
        return *calls.back();
    }
    // Lets every call still pending succeed, so no operation is left behind.
    void finishAll()
    {
        for (std::size_t i = 0; i < calls.size(); ++i)
            calls[i]->succeed();
    }

private:
    QCoro::Task<> record(ServiceCall::Kind kind, SessionID id, std::optional<Session> session = {},
                         std::optional<Duration> remaining = {})
    {
        auto call = std::make_shared<ServiceCall>();
        call->kind = kind;
        call->id = id;
        call->session = std::move(session);
        call->remaining = remaining;
        calls.push_back(call);
        return pending(std::move(call));
    }

    static QCoro::Task<> pending(std::shared_ptr<ServiceCall> call)
    {
        if (const auto failure = co_await ServiceCall::Awaiter(std::move(call)))
            throw *failure;
    }
};

// One sleep asked for by a deadline; it answers whether the span passed.
struct WaitCall : HandAnswered<bool> {
    Duration span;
    std::shared_ptr<Cancellation> cancellation;

    // The span passed (or, with `false`, the wait was cut short).
    void fire(bool passed = true) { give(passed); }
};

// Hands out waits that end only when fired or cancelled. A cancellation ends
// its wait on the next turn of the event loop, as the real one does.
class FakeWaits {
public:
    // Stubborn waits do not end when cancelled; the test decides.
    bool stubborn = false;
    std::vector<std::shared_ptr<WaitCall>> waits;

    SessionController::Wait function()
    {
        return [this](Duration span, std::shared_ptr<Cancellation> cancellation) {
            auto call = std::make_shared<WaitCall>();
            call->span = span;
            call->cancellation = cancellation;
            waits.push_back(call);
            if (!stubborn) {
                std::weak_ptr<WaitCall> weak = call;
                QObject::connect(
                    cancellation.get(), &Cancellation::cancelled, cancellation.get(),
                    [weak] {
                        if (const auto c = weak.lock())
                            c->fire(false);
                    },
                    Qt::QueuedConnection);
                if (cancellation->isCancelled())
                    call->answer = false;
            }
            return sleep(call);
        };
    }

    std::size_t pendingCount() const
    {
        return std::ranges::count_if(waits, [](const auto &wait) { return !wait->answer; });
    }
    void endAll()
    {
        for (std::size_t i = 0; i < waits.size(); ++i)
            waits[i]->fire(false);
    }

private:
    static QCoro::Task<bool> sleep(std::shared_ptr<WaitCall> call)
    {
        co_return co_await WaitCall::Awaiter(std::move(call));
    }
};

// A clock the test moves by hand, and IDs that count up.
struct FakeClock {
    Duration monotonic;
    Date wall = startDate;
    std::uint8_t nextId = 1;
};

// What a session controller works with: the fake service, waits and clock.
struct EngineFakes {
    std::shared_ptr<FakeEnergyService> service = std::make_shared<FakeEnergyService>();
    FakeClock clock;
    FakeWaits waits;

    // A controller over the fakes, or over another service and wait.
    std::unique_ptr<SessionController> makeController(std::shared_ptr<EnergyService> energy = {},
                                                      SessionController::Wait wait = {})
    {
        return std::make_unique<SessionController>(
            SessionState::inactive(), energy ? std::move(energy) : service, [this] { return clock.wall; },
            [this] { return clock.monotonic; }, [this] { return testId(clock.nextId++); },
            wait ? std::move(wait) : waits.function());
    }
    // Ends whatever a test left pending, so that no coroutine outlives the
    // test; called once the controller is gone.
    void endPending()
    {
        settle();
        waits.endAll();
        service->finishAll();
        settle();
    }
};

// A login item whose changes can be held open or made to fail, and that
// counts what it is asked.
class FakeLoginItem final : public LoginItemService {
public:
    LoginItemState status() const override
    {
        ++reads;
        return state;
    }
    QCoro::Task<> setEnabled(bool enabled) override
    {
        requests.append(enabled);
        if (hold)
            co_await m_gate.wait();
        if (fail)
            throw std::runtime_error("refused");
        state = stateAfterChange.value_or(enabled ? LoginItemState::enabled : LoginItemState::disabled);
    }
    void openSettings() override { ++settingsOpened; }
    // Lets every held change go on.
    void release() { m_gate.open(); }

    LoginItemState state = LoginItemState::disabled;
    std::optional<LoginItemState> stateAfterChange;
    bool hold = false;
    bool fail = false;
    mutable int reads = 0;
    int settingsOpened = 0;
    QList<bool> requests;

private:
    Gate m_gate;
};

inline Duration secs(long long s)
{
    return Duration::seconds(s);
}

} // namespace pelorin::fakes
