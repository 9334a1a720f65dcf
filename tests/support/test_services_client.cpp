#include "test_services_client.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int callTimeoutMs = 5000;

TestLock lockFrom(const QVariantMap &map)
{
    return {map.value(u"service"_s).toString(), map.value(u"holder"_s).toString(), map.value(u"who"_s).toString(),
            map.value(u"reason"_s).toString(),  map.value(u"flags"_s).toUInt(),    map.value(u"what"_s).toString(),
            map.value(u"mode"_s).toString()};
}

} // namespace

QDBusMessage TestServicesClient::call(const QString &method, const QVariantList &arguments) const
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(u"org.pelorin.Test"_s, u"/control"_s, u"org.pelorin.Test.Control"_s, method);
    message.setArguments(arguments);
    const QDBusMessage reply = m_bus.call(message, QDBus::Block, callTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage)
        ADD_FAILURE() << "test services: " << method.toStdString() << " failed: " << reply.errorMessage().toStdString();
    return reply;
}

QList<QVariantMap> TestServicesClient::list(const QString &method) const
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QVariantMap>>();
    Q_UNUSED(registered);
    const QDBusMessage reply = call(method);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return qdbus_cast<QList<QVariantMap>>(reply.arguments().constFirst());
}

QList<TestLock> TestServicesClient::locks() const
{
    QList<TestLock> result;
    for (const QVariantMap &map : list(u"Locks"_s))
        result.append(lockFrom(map));
    return result;
}

QList<TestLockEvent> TestServicesClient::events() const
{
    QList<TestLockEvent> result;
    for (const QVariantMap &map : list(u"Events"_s))
        result.append({lockFrom(map), map.value(u"kind"_s).toString(), map.value(u"at"_s).toLongLong()});
    return result;
}

bool TestServicesClient::waitForLockCount(int count, std::chrono::milliseconds timeout) const
{
    return QTest::qWaitFor([&] { return locks().size() == count; }, static_cast<int>(timeout.count()));
}

void TestServicesClient::setBehaviour(const QString &service, const QString &method, const QString &behaviour) const
{
    call(u"SetBehaviour"_s, {service, method, behaviour});
}

void TestServicesClient::emitPrepareForSleep(bool start) const
{
    call(u"EmitPrepareForSleep"_s, {start});
}

void TestServicesClient::setPortalSetting(const QString &group, const QString &key, const QVariant &value,
                                          bool announce) const
{
    call(u"SetPortalSetting"_s, {group, key, QVariant::fromValue(QDBusVariant(value)), announce});
}

} // namespace pelorin::test
