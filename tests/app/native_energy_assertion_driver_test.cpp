#include "native_energy_assertion_driver.h"

#include "engine_fakes.h"
#include "test_bus.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtCore/qtestsupport_core.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using pelorin::EnergyAssertionID;
using pelorin::EnergyFailure;
using pelorin::NativeEnergyAssertionDriver;
using pelorin::test::TestBus;
using pelorin::test::TestLock;
using pelorin::test::TestLockEvent;
using Backend = NativeEnergyAssertionDriver::Backend;
using Kind = TestBus::Kind;
using Operation = EnergyFailure::Operation;

namespace {

const QString gnome = u"org.gnome.SessionManager"_s;
const QString powerManagement = u"org.freedesktop.PowerManagement"_s;
const QString screenSaver = u"org.freedesktop.ScreenSaver"_s;
const QString logind = u"org.freedesktop.login1"_s;

// A create run to its end: the lock it made, or what it threw.
struct Created {
    EnergyAssertionID id;
    std::optional<EnergyFailure> failure;
};

Created create(NativeEnergyAssertionDriver &driver, bool display, std::optional<double> timeout = std::nullopt)
{
    Created result;
    result.failure =
        pelorin::fakes::run([&]() -> QCoro::Task<> { result.id = co_await driver.create(display, timeout); }());
    return result;
}

// A lock that must be granted.
EnergyAssertionID held(NativeEnergyAssertionDriver &driver, bool display, std::optional<double> timeout = std::nullopt)
{
    const Created result = create(driver, display, timeout);
    EXPECT_EQ(result.failure, std::nullopt);
    return result.id;
}

std::optional<EnergyFailure> release(NativeEnergyAssertionDriver &driver, EnergyAssertionID id)
{
    return pelorin::fakes::run(driver.release(id));
}

// The pipes open in this process, each as its descriptor and its name.
std::set<std::string> openPipes()
{
    std::set<std::string> pipes;
    for (const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        if (const std::string name = std::filesystem::read_symlink(entry, error).string(); name.starts_with("pipe:"))
            pipes.insert(entry.path().filename().string() + ' ' + name);
    }
    return pipes;
}

class NativeEnergyAssertionDriverTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isValid()); }

    // A driver whose lost and gone reports land in `lost` and `gone`.
    std::unique_ptr<NativeEnergyAssertionDriver> makeDriver()
    {
        auto driver =
            std::make_unique<NativeEnergyAssertionDriver>(bus.connection(Kind::session), bus.connection(Kind::system));
        driver->setLostHandler([this](EnergyAssertionID id, const EnergyFailure &f) { lost.emplace_back(id, f); });
        driver->setGoneHandler([this](EnergyAssertionID id) { gone.push_back(id); });
        return driver;
    }

    // logind on the stand-in system bus, the others on the session bus.
    void serve(const QStringList &names)
    {
        QStringList session = names;
        session.removeAll(logind);
        ASSERT_TRUE(bus.startServices(Kind::session, session));
        ASSERT_TRUE(bus.startServices(Kind::system, names.contains(logind) ? QStringList{logind} : QStringList{}));
    }

    QList<TestLock> allLocks() const
    {
        return bus.services(Kind::session).locks() + bus.services(Kind::system).locks();
    }

    bool waitUntilNoLocks() const
    {
        return bus.services(Kind::session).waitForLockCount(0) && bus.services(Kind::system).waitForLockCount(0);
    }

    TestBus bus;
    std::vector<std::pair<EnergyAssertionID, EnergyFailure>> lost;
    std::vector<EnergyAssertionID> gone;
};

TEST_F(NativeEnergyAssertionDriverTest, EachLockComesFromTheFirstServicePresent)
{
    struct Case {
        QStringList present;
        bool display;
        QString expected;
        Backend backend;
    };
    const Case cases[] = {
        {{gnome, powerManagement, screenSaver, logind}, false, gnome, Backend::gnomeSession},
        {{gnome, powerManagement, screenSaver, logind}, true, gnome, Backend::gnomeSession},
        {{powerManagement, screenSaver, logind}, false, powerManagement, Backend::powerManagement},
        {{powerManagement, screenSaver, logind}, true, screenSaver, Backend::screenSaver},
        {{screenSaver, logind}, false, logind, Backend::logind},
        {{powerManagement, logind}, true, logind, Backend::logind},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.present.join(u' ') + (c.display ? u" display"_s : u" system"_s)).toStdString());
        serve(c.present);
        const auto driver = makeDriver();
        const EnergyAssertionID id = held(*driver, c.display);
        EXPECT_EQ(driver->backend(id), c.backend);

        const QList<TestLock> locks = allLocks();
        ASSERT_EQ(locks.size(), 1);
        const TestLock &lock = locks.constFirst();
        EXPECT_EQ(lock.service, c.expected);
        EXPECT_EQ(lock.holder, bus.connection(c.expected == logind ? Kind::system : Kind::session).baseService());
        if (c.expected == gnome) {
            EXPECT_EQ(lock.flags, c.display ? 8u : 4u);
        }
        if (c.expected == logind) {
            EXPECT_EQ(lock.what, u"idle"_s);
            EXPECT_EQ(lock.mode, u"block"_s);
        }

        EXPECT_EQ(release(*driver, id), std::nullopt);
        EXPECT_EQ(driver->backend(id), std::nullopt);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

TEST_F(NativeEnergyAssertionDriverTest, ALockIsReleasedWhenItsTimeOutPasses)
{
    serve({powerManagement, logind});
    const auto driver = makeDriver();
    QElapsedTimer clock;
    clock.start();
    const EnergyAssertionID timedSystem = held(*driver, false, 0.3);
    const EnergyAssertionID timedDisplay = held(*driver, true, 0.3);
    const EnergyAssertionID endless = held(*driver, false);
    ASSERT_EQ(allLocks().size(), 3);

    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver->backend(timedSystem) && !driver->backend(timedDisplay); }, 5000));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_THAT(gone, testing::UnorderedElementsAre(timedSystem, timedDisplay));
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_TRUE(bus.services(Kind::session).waitForLockCount(1));
    EXPECT_EQ(driver->backend(endless), Backend::powerManagement);

    // The owner may still release an expired lock, once.
    EXPECT_EQ(release(*driver, timedSystem), std::nullopt);
    EXPECT_EQ(release(*driver, timedDisplay), std::nullopt);
    EXPECT_EQ(release(*driver, timedSystem), EnergyFailure(Operation::release, -EINVAL, true));

    // The time-out passes while a release hangs: once that release has
    // failed, and the hanging call is over, the lock is let go of again.
    driver->setCallTimeout(300ms);
    driver->setRetryInterval(100ms);
    const EnergyAssertionID hung = held(*driver, false, 0.1);
    bus.services(Kind::session).setBehaviour(powerManagement, u"UnInhibit"_s, u"hang"_s);
    EXPECT_EQ(release(*driver, hung), EnergyFailure(Operation::release, -ETIMEDOUT, true));
    bus.services(Kind::session).setBehaviour(powerManagement, u"UnInhibit"_s, u"reply"_s);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gone.back() == hung; }, 8000));
    EXPECT_EQ(bus.services(Kind::session).locks().size(), 1);
}

TEST_F(NativeEnergyAssertionDriverTest, ErrorsMapToTheirCodesWithinTheCallTimeOut)
{
    struct Case {
        QString service; // none: no service at all
        QString behaviour;
        int code;
    };
    const Case cases[] = {
        {gnome, u"deny"_s, -EACCES},       {gnome, u"hang"_s, -ETIMEDOUT},
        {gnome, u"fail"_s, -EIO},          {gnome, u"malformed"_s, -EIO},
        {logind, u"hang"_s, -ETIMEDOUT},   {logind, u"malformed"_s, -EIO},
        {screenSaver, u"deny"_s, -EACCES}, {{}, {}, -ENOENT},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.service + u' ' + c.behaviour).toStdString());
        serve(c.service.isEmpty() ? QStringList{} : QStringList{c.service});
        if (!c.service.isEmpty())
            bus.services(c.service == logind ? Kind::system : Kind::session)
                .setBehaviour(c.service, u"Inhibit"_s, c.behaviour);
        const auto driver = makeDriver();
        driver->setCallTimeout(250ms);
        QElapsedTimer clock;
        clock.start();
        const bool display = c.service == screenSaver;
        EXPECT_EQ(create(*driver, display).failure,
                  EnergyFailure(display ? Operation::createDisplay : Operation::createSystem, c.code, false));
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_TRUE(waitUntilNoLocks());
    }

    // No bus at all: the test main points the default buses at dead sockets.
    NativeEnergyAssertionDriver unconnected;
    EXPECT_EQ(create(unconnected, true).failure, EnergyFailure(Operation::createDisplay, -ENOENT, false));
}

TEST_F(NativeEnergyAssertionDriverTest, AFailingServiceGivesWayAndTheMostTellingErrorIsReported)
{
    serve({gnome, powerManagement});
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"deny"_s);
    auto driver = makeDriver();
    EXPECT_EQ(driver->backend(held(*driver, false)), Backend::powerManagement);
    driver.reset();

    // A refusal tells more than a time-out, which tells more than absence.
    serve({gnome, logind});
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"hang"_s);
    bus.services(Kind::system).setBehaviour(logind, u"Inhibit"_s, u"deny"_s);
    driver = makeDriver();
    driver->setCallTimeout(250ms);
    EXPECT_EQ(create(*driver, false).failure, EnergyFailure(Operation::createSystem, -EACCES, false));
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"deny"_s);
    bus.stopServices(Kind::system);
    EXPECT_EQ(create(*driver, true).failure, EnergyFailure(Operation::createDisplay, -EACCES, false));
}

// A lock whose release failed is kept for another try; but it is not taken
// again when its service restarts: the user had ended its session.
TEST_F(NativeEnergyAssertionDriverTest, AFailedReleaseKeepsTheLockForAnotherTry)
{
    serve({gnome});
    const auto driver = makeDriver();
    driver->setCallTimeout(250ms);
    const EnergyAssertionID id = held(*driver, false);
    const auto services = bus.services(Kind::session);

    services.setBehaviour(gnome, u"Uninhibit"_s, u"deny"_s);
    EXPECT_EQ(release(*driver, id), EnergyFailure(Operation::release, -EACCES, true));
    services.setBehaviour(gnome, u"Uninhibit"_s, u"fail"_s);
    EXPECT_EQ(release(*driver, id), EnergyFailure(Operation::release, -EIO, true));
    services.setBehaviour(gnome, u"Uninhibit"_s, u"hang"_s);
    EXPECT_EQ(release(*driver, id), EnergyFailure(Operation::release, -ETIMEDOUT, true));
    EXPECT_EQ(driver->backend(id), Backend::gnomeSession);
    EXPECT_EQ(services.locks().size(), 1);

    serve({gnome});
    QTest::qWait(300);
    EXPECT_TRUE(bus.services(Kind::session).locks().isEmpty());
    EXPECT_EQ(release(*driver, id), std::nullopt);
}

// A service that grants a lock after the call time-out is still heard: the
// lock is let go at once. (With another service to turn to, the
// unreliable-services tests check the whole program.)
TEST_F(NativeEnergyAssertionDriverTest, ALockGrantedTooLateIsLetGo)
{
    serve({gnome});
    const auto services = bus.services(Kind::session);
    const auto driver = makeDriver();
    driver->setCallTimeout(400ms);
    services.setBehaviour(gnome, u"Inhibit"_s, u"late:2000"_s);
    EXPECT_EQ(create(*driver, true).failure, EnergyFailure(Operation::createDisplay, -ETIMEDOUT, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return services.events().size() == 2; }, 5000));
    EXPECT_EQ(services.events()[1].kind, u"released"_s);
}

// A release confirmed after the call time-out fails, and so does a second
// try while the first is unanswered: nothing is sent again (a second call
// would hear at once that the cookie is gone). The late confirmation is
// reported, and a release of the ID then succeeds.
TEST_F(NativeEnergyAssertionDriverTest, AReleaseConfirmedTooLateIsNotSentTwice)
{
    serve({gnome});
    const auto services = bus.services(Kind::session);
    const auto driver = makeDriver();
    driver->setCallTimeout(400ms);
    const EnergyAssertionID id = held(*driver, false);
    services.setBehaviour(gnome, u"Uninhibit"_s, u"late:2000"_s);
    EXPECT_EQ(release(*driver, id), EnergyFailure(Operation::release, -ETIMEDOUT, true));
    EXPECT_EQ(release(*driver, id), EnergyFailure(Operation::release, -ETIMEDOUT, true));
    EXPECT_TRUE(gone.empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gone.empty(); }, 5000));
    EXPECT_EQ(gone, std::vector{id});
    EXPECT_EQ(release(*driver, id), std::nullopt);
    EXPECT_TRUE(services.locks().isEmpty());
}

// The service behind a lock restarts, or leaves for good: the lock is taken
// again under the same ID, or reported lost.
TEST_F(NativeEnergyAssertionDriverTest, ALockWhoseServiceLeftIsSoughtAgain)
{
    // A descriptor lock released while it is sought: the descriptor from
    // the service that left goes at once.
    serve({logind});
    const auto driver = makeDriver();
    const std::set<std::string> before = openPipes();
    const EnergyAssertionID sought = held(*driver, false);
    bus.stopServices(Kind::system);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver->backend(sought); }, 5000));
    EXPECT_EQ(release(*driver, sought), std::nullopt);
    EXPECT_TRUE(std::ranges::includes(before, openPipes())) << "the lost lock's descriptor is still open";

    // A power manager that its session restarts, back three seconds later
    // with nothing to stand in meanwhile: the lock is sought long enough.
    serve({powerManagement});
    const EnergyAssertionID system = held(*driver, false, 3600.0);
    bus.stopServices(Kind::session);
    QTest::qWait(3000);
    serve({powerManagement});
    ASSERT_TRUE(QTest::qWaitFor([&] { return driver->backend(system).has_value(); }, 5000));
    EXPECT_TRUE(lost.empty());
    EXPECT_EQ(driver->backend(system), Backend::powerManagement);
    EXPECT_EQ(driver->properties(system).value(u"TimeoutSeconds"_s), 3600.0);
    EXPECT_EQ(release(*driver, system), std::nullopt);

    // Another client of a restarted instance may get the old cookie: only
    // our own lock goes with our release.
    serve({gnome});
    const EnergyAssertionID display = held(*driver, true);
    serve({gnome}); // killed and started again
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return driver->backend(display).has_value() && bus.services(Kind::session).locks().size() == 1; }, 2000));
    EXPECT_EQ(bus.services(Kind::session).locks().constFirst().flags, 8u);
    NativeEnergyAssertionDriver other(bus.connection(Kind::session), bus.connection(Kind::system));
    const EnergyAssertionID foreign = held(other, false);
    EXPECT_EQ(release(*driver, display), std::nullopt);
    EXPECT_TRUE(bus.services(Kind::session).waitForLockCount(1));
    // The other client lets go as well, so that it has nothing to seek when
    // the service goes below.
    EXPECT_EQ(release(other, foreign), std::nullopt);

    // Gone for good: reported once the search gives up, and a later release
    // of the ID succeeds.
    driver->setRetakeWindow(300ms);
    const EnergyAssertionID abandoned = held(*driver, false);
    bus.stopServices(Kind::session);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !lost.empty(); }, 5000));
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0].first, abandoned);
    EXPECT_EQ(lost[0].second, EnergyFailure(Operation::createSystem, -ENOENT, false));
    EXPECT_EQ(release(*driver, abandoned), std::nullopt);
}

// A lock taken again from a service further down the order goes back to its
// own service when that one returns within the window, the new lock in place
// before the stand-in's goes; after the window it stays where it is.
TEST_F(NativeEnergyAssertionDriverTest, ALostLockGoesBackToItsOwnService)
{
    for (const bool inTime : {true, false}) {
        SCOPED_TRACE(inTime ? "back in time" : "back too late");
        serve({gnome, logind});
        const auto driver = makeDriver();
        if (!inTime)
            driver->setReturnWindow(300ms);
        const EnergyAssertionID system = held(*driver, false, 3600.0);
        const EnergyAssertionID display = held(*driver, true, 3600.0);

        bus.stopServices(Kind::session);
        ASSERT_TRUE(QTest::qWaitFor([&] { return driver->backend(system) == Backend::logind; }, 5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return driver->backend(display) == Backend::logind; }, 5000));
        ASSERT_TRUE(bus.services(Kind::system).waitForLockCount(2));
        if (!inTime)
            QTest::qWait(400);

        ASSERT_TRUE(bus.startServices(Kind::session, {gnome}));
        const Backend expected = inTime ? Backend::gnomeSession : Backend::logind;
        if (inTime) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return driver->backend(system) == expected && driver->backend(display) == expected; }, 5000));
        } else {
            QTest::qWait(500);
        }
        EXPECT_EQ(driver->backend(system), expected);
        EXPECT_EQ(driver->backend(display), expected);
        EXPECT_TRUE(bus.services(Kind::session).waitForLockCount(inTime ? 2 : 0));
        EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(inTime ? 0 : 2));
        EXPECT_EQ(driver->properties(display).value(u"TimeoutSeconds"_s), 3600.0);
        EXPECT_TRUE(lost.empty());
        if (inTime) {
            // Each stand-in lock went only after a new one was in its place.
            const QList<TestLockEvent> taken = bus.services(Kind::session).events();
            const QList<TestLockEvent> standIn = bus.services(Kind::system).events();
            ASSERT_EQ(taken.size(), 2);
            ASSERT_EQ(standIn.size(), 4);
            EXPECT_TRUE(
                pelorin::test::eachReplacedBeforeItWent({taken[0].at, taken[1].at}, {standIn[2].at, standIn[3].at}));
        }

        EXPECT_EQ(release(*driver, system), std::nullopt);
        EXPECT_EQ(release(*driver, display), std::nullopt);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

// A driver that goes lets go of what it holds, descriptors and cookies
// alike, although the connection stays.
TEST_F(NativeEnergyAssertionDriverTest, ADriverThatGoesLetsItsLocksGo)
{
    for (const QString &service : {logind, gnome}) {
        SCOPED_TRACE(service.toStdString());
        serve({service});
        auto driver = makeDriver();
        held(*driver, false);
        ASSERT_EQ(allLocks().size(), 1);
        driver.reset();
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

TEST_F(NativeEnergyAssertionDriverTest, LocksDieWithAKilledProcess)
{
    struct Case {
        QStringList present;
        QStringList expected; // in sorted order
    };
    const Case cases[] = {
        {{powerManagement, logind}, {powerManagement, logind}},
        {{screenSaver, logind}, {screenSaver, logind}},
        {{gnome}, {gnome, gnome}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.present.join(u' ').toStdString());
        serve(c.present);
        const auto holder = pelorin::test::childProcess();
        holder->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder->start(QStringLiteral(PELORIN_TEST_LOCK_HOLDER),
                      {bus.address(Kind::session), bus.address(Kind::system), u"system"_s, u"display"_s});
        ASSERT_EQ(pelorin::test::firstLine(*holder, 20'000), "ready");

        QStringList services;
        for (const TestLock &lock : allLocks())
            services.append(lock.service);
        services.sort();
        EXPECT_EQ(services, c.expected);

        holder->kill();
        ASSERT_TRUE(holder->waitForFinished(5000));
        EXPECT_EQ(holder->exitStatus(), QProcess::CrashExit);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

} // namespace
