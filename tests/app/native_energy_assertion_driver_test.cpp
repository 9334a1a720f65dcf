#include "native_energy_assertion_driver.h"

#include "test_bus.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <functional>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using pelorin::EnergyAssertionID;
using pelorin::EnergyFailure;
using pelorin::NativeEnergyAssertionDriver;
using pelorin::test::TestBus;
using pelorin::test::TestLock;
using Backend = NativeEnergyAssertionDriver::Backend;
using Kind = TestBus::Kind;
using Operation = EnergyFailure::Operation;

namespace {

const QString gnome = u"org.gnome.SessionManager"_s;
const QString powerManagement = u"org.freedesktop.PowerManagement"_s;
const QString screenSaver = u"org.freedesktop.ScreenSaver"_s;
const QString logind = u"org.freedesktop.login1"_s;

EnergyFailure failureOf(const std::function<void()> &call)
{
    try {
        call();
    } catch (const EnergyFailure &failure) {
        return failure;
    }
    ADD_FAILURE() << "no EnergyFailure thrown";
    return {};
}

int openDescriptors()
{
    return static_cast<int>(
        QDir(u"/proc/self/fd"_s).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

class NativeEnergyAssertionDriverTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(bus.isValid()); }

    std::unique_ptr<NativeEnergyAssertionDriver> makeDriver() const
    {
        return std::make_unique<NativeEnergyAssertionDriver>(bus.connection(Kind::session),
                                                             bus.connection(Kind::system));
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
        const EnergyAssertionID id = driver->create(c.display, std::nullopt);
        EXPECT_EQ(driver->backend(id), c.backend);

        const QList<TestLock> locks = allLocks();
        ASSERT_EQ(locks.size(), 1);
        const TestLock &lock = locks.constFirst();
        EXPECT_EQ(lock.service, c.expected);
        EXPECT_EQ(lock.holder, bus.connection(c.expected == logind ? Kind::system : Kind::session).baseService());
        EXPECT_EQ(lock.reason, u"Pelorin session"_s);
        if (c.expected == gnome) {
            EXPECT_EQ(lock.who, u"org.pelorin.Pelorin"_s);
            EXPECT_EQ(lock.flags, c.display ? 8u : 4u);
        } else {
            EXPECT_EQ(lock.who, u"Pelorin"_s);
        }
        if (c.expected == logind) {
            EXPECT_EQ(lock.what, u"idle"_s);
            EXPECT_EQ(lock.mode, u"block"_s);
        }

        driver->release(id);
        EXPECT_EQ(driver->heldCount(), 0);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

TEST_F(NativeEnergyAssertionDriverTest, EveryLockGetsAFreshIdAndUnknownIdsAreRefused)
{
    serve({gnome});
    const auto driver = makeDriver();
    const EnergyAssertionID first = driver->create(false, std::nullopt);
    const EnergyAssertionID second = driver->create(true, std::nullopt);
    EXPECT_EQ(first.rawValue, 1u);
    EXPECT_EQ(second.rawValue, 2u);
    driver->release(first);
    EXPECT_EQ(driver->create(false, std::nullopt).rawValue, 3u);
    EXPECT_EQ(driver->heldCount(), 2);

    for (const EnergyAssertionID id : {first, EnergyAssertionID{99}}) {
        const EnergyFailure failure = failureOf([&] { driver->release(id); });
        EXPECT_EQ(failure.operation, Operation::release);
        EXPECT_EQ(failure.code, -EINVAL);
    }
    EXPECT_EQ(bus.services(Kind::session).locks().size(), 2);
}

TEST_F(NativeEnergyAssertionDriverTest, ALockIsReleasedWhenItsTimeOutPasses)
{
    serve({powerManagement, logind});
    const auto driver = makeDriver();
    QElapsedTimer clock;
    clock.start();
    const EnergyAssertionID timedSystem = driver->create(false, 0.3);
    const EnergyAssertionID timedDisplay = driver->create(true, 0.3);
    const EnergyAssertionID endless = driver->create(false, std::nullopt);
    ASSERT_EQ(allLocks().size(), 3);

    ASSERT_TRUE(QTest::qWaitFor([&] { return driver->heldCount() == 1; }, 5000));
    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_TRUE(bus.services(Kind::session).waitForLockCount(1));
    EXPECT_TRUE(bus.services(Kind::system).waitForLockCount(0));
    EXPECT_EQ(driver->backend(endless), Backend::powerManagement);

    // The owner may still release an expired lock, once.
    driver->release(timedSystem);
    driver->release(timedDisplay);
    EXPECT_EQ(failureOf([&] { driver->release(timedSystem); }).code, -EINVAL);
}

TEST_F(NativeEnergyAssertionDriverTest, WithoutAnyServiceNothingIsHeld)
{
    const auto driver = makeDriver();
    const EnergyFailure system = failureOf([&] { driver->create(false, 60.0); });
    EXPECT_EQ(system, EnergyFailure(Operation::createSystem, -ENOENT, false));
    const EnergyFailure display = failureOf([&] { driver->create(true, std::nullopt); });
    EXPECT_EQ(display, EnergyFailure(Operation::createDisplay, -ENOENT, false));
    EXPECT_EQ(driver->heldCount(), 0);

    // No bus at all: the test main points the default buses at dead sockets.
    NativeEnergyAssertionDriver unconnected;
    EXPECT_EQ(failureOf([&] { unconnected.create(false, std::nullopt); }),
              EnergyFailure(Operation::createSystem, -ENOENT, false));
}

TEST_F(NativeEnergyAssertionDriverTest, ErrorsMapToTheirCodesWithinTheCallTimeOut)
{
    struct Case {
        QString service;
        QString behaviour;
        int code;
    };
    const Case cases[] = {
        {gnome, u"deny"_s, -EACCES},       {gnome, u"hang"_s, -ETIMEDOUT},  {gnome, u"fail"_s, -EIO},
        {gnome, u"malformed"_s, -EIO},     {logind, u"hang"_s, -ETIMEDOUT}, {logind, u"malformed"_s, -EIO},
        {screenSaver, u"deny"_s, -EACCES},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(QString(c.service + u' ' + c.behaviour).toStdString());
        serve({c.service});
        bus.services(c.service == logind ? Kind::system : Kind::session)
            .setBehaviour(c.service, u"Inhibit"_s, c.behaviour);
        const auto driver = makeDriver();
        driver->setCallTimeout(250ms);
        QElapsedTimer clock;
        clock.start();
        const bool display = c.service == screenSaver;
        const EnergyFailure failure = failureOf([&] { driver->create(display, std::nullopt); });
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(failure, EnergyFailure(display ? Operation::createDisplay : Operation::createSystem, c.code, false));
        EXPECT_EQ(driver->heldCount(), 0);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

TEST_F(NativeEnergyAssertionDriverTest, AFailingServiceGivesWayAndTheMostTellingErrorIsReported)
{
    serve({gnome, powerManagement});
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"deny"_s);
    auto driver = makeDriver();
    const EnergyAssertionID id = driver->create(false, std::nullopt);
    EXPECT_EQ(driver->backend(id), Backend::powerManagement);
    driver.reset();

    // A refusal tells more than a time-out, which tells more than absence.
    serve({gnome, logind});
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"hang"_s);
    bus.services(Kind::system).setBehaviour(logind, u"Inhibit"_s, u"deny"_s);
    driver = makeDriver();
    driver->setCallTimeout(250ms);
    EXPECT_EQ(failureOf([&] { driver->create(false, std::nullopt); }).code, -EACCES);
    bus.services(Kind::session).setBehaviour(gnome, u"Inhibit"_s, u"deny"_s);
    bus.stopServices(Kind::system);
    EXPECT_EQ(failureOf([&] { driver->create(true, std::nullopt); }).code, -EACCES);
    EXPECT_EQ(driver->heldCount(), 0);
}

TEST_F(NativeEnergyAssertionDriverTest, AFailedReleaseKeepsTheLockForAnotherTry)
{
    serve({gnome});
    const auto driver = makeDriver();
    driver->setCallTimeout(250ms);
    const EnergyAssertionID id = driver->create(false, std::nullopt);
    const auto services = bus.services(Kind::session);

    services.setBehaviour(gnome, u"Uninhibit"_s, u"deny"_s);
    EXPECT_EQ(failureOf([&] { driver->release(id); }), EnergyFailure(Operation::release, -EACCES, true));
    services.setBehaviour(gnome, u"Uninhibit"_s, u"hang"_s);
    EXPECT_EQ(failureOf([&] { driver->release(id); }), EnergyFailure(Operation::release, -ETIMEDOUT, true));
    EXPECT_EQ(driver->heldCount(), 1);
    EXPECT_EQ(services.locks().size(), 1);

    services.setBehaviour(gnome, u"Uninhibit"_s, u"reply"_s);
    driver->release(id);
    EXPECT_EQ(driver->heldCount(), 0);
    EXPECT_TRUE(services.locks().isEmpty());
}

TEST_F(NativeEnergyAssertionDriverTest, ALockWhoseServiceLeftIsReleased)
{
    serve({gnome});
    const auto driver = makeDriver();
    const EnergyAssertionID id = driver->create(false, std::nullopt);

    // A new instance of the service hands the next client the same cookie;
    // releasing the old lock must not touch that one.
    serve({gnome});
    NativeEnergyAssertionDriver other(bus.connection(Kind::session), bus.connection(Kind::system));
    other.create(false, std::nullopt);

    driver->release(id);
    EXPECT_EQ(driver->heldCount(), 0);
    EXPECT_EQ(bus.services(Kind::session).locks().size(), 1);
}

TEST_F(NativeEnergyAssertionDriverTest, PropertiesDescribeEachLock)
{
    const QVariantMap endless = NativeEnergyAssertionDriver::assertionProperties(false, std::nullopt);
    EXPECT_EQ(endless, (QVariantMap{{u"AssertType"_s, u"PreventUserIdleSystemSleep"_s},
                                    {u"AssertName"_s, u"Pelorin session"_s},
                                    {u"AssertLevel"_s, 255}}));
    EXPECT_EQ(endless.value(u"AssertLevel"_s).typeId(), QMetaType::Int);

    const QVariantMap timed = NativeEnergyAssertionDriver::assertionProperties(true, 3600.0);
    EXPECT_EQ(timed.size(), 5);
    EXPECT_EQ(timed.value(u"AssertType"_s), u"PreventUserIdleDisplaySleep"_s);
    EXPECT_EQ(timed.value(u"TimeoutSeconds"_s).typeId(), QMetaType::Double);
    EXPECT_EQ(timed.value(u"TimeoutSeconds"_s).toDouble(), 3600.0);
    EXPECT_EQ(timed.value(u"TimeoutAction"_s), u"TimeoutActionTurnOff"_s);

    serve({logind});
    const auto driver = makeDriver();
    const EnergyAssertionID id = driver->create(true, 3600.0);
    EXPECT_EQ(driver->properties(id), timed);
    driver->release(id);
    EXPECT_TRUE(driver->properties(id).isEmpty());
}

TEST_F(NativeEnergyAssertionDriverTest, NoDescriptorOutlivesItsLock)
{
    serve({powerManagement, logind});
    const int before = openDescriptors();

    auto driver = makeDriver();
    driver->release(driver->create(true, std::nullopt));
    driver->create(true, 0.1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return driver->heldCount() == 0; }, 5000));
    driver->create(true, 60.0);
    driver->create(false, std::nullopt);
    EXPECT_GT(openDescriptors(), before);
    driver.reset(); // releases what is still held
    EXPECT_TRUE(waitUntilNoLocks());
    // D-Bus lets go of its copies of a reply's descriptors a little later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return openDescriptors() == before; }, 5000))
        << openDescriptors() << " vs " << before;
}

TEST_F(NativeEnergyAssertionDriverTest, LocksDieWithAKilledProcess)
{
    struct Case {
        QStringList present;
        QStringList expected; // system lock's service, then the display lock's
    };
    const Case cases[] = {
        {{powerManagement, logind}, {powerManagement, logind}},
        {{screenSaver, logind}, {screenSaver, logind}},
        {{gnome}, {gnome, gnome}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.present.join(u' ').toStdString());
        serve(c.present);
        QProcess holder;
        holder.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
        holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        holder.start(QStringLiteral(PELORIN_TEST_LOCK_HOLDER),
                     {bus.address(Kind::session), bus.address(Kind::system), u"system"_s, u"display"_s});
        QDeadlineTimer deadline(20s);
        while (!holder.canReadLine() && holder.state() != QProcess::NotRunning && !deadline.hasExpired())
            holder.waitForReadyRead(100);
        ASSERT_EQ(holder.readLine().trimmed(), "ready");

        QStringList services;
        for (const TestLock &lock : allLocks())
            services.append(lock.service);
        services.sort();
        QStringList expected = c.expected;
        expected.sort();
        EXPECT_EQ(services, expected);

        holder.kill();
        ASSERT_TRUE(holder.waitForFinished(5000));
        EXPECT_EQ(holder.exitStatus(), QProcess::CrashExit);
        EXPECT_TRUE(waitUntilNoLocks());
    }
}

} // namespace
