#include "test_services_client.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusVariant>
#include <QVariantMap>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int callTimeoutMs = 5000;

QDBusMessage controlCall(const QString &method)
{
    return QDBusMessage::createMethodCall(u"org.pelorin.Test"_s, u"/control"_s, u"org.pelorin.Test.Control"_s, method);
}

bool succeeded(const QDBusMessage &reply, const QString &method)
{
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    ADD_FAILURE() << "test services: " << method.toStdString() << " failed: " << reply.errorName().toStdString() << " "
                  << reply.errorMessage().toStdString();
    return false;
}

} // namespace

QList<TestLock> TestServicesClient::locks() const
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QVariantMap>>();
    Q_UNUSED(registered);
    const QDBusMessage reply = m_bus.call(controlCall(u"Locks"_s), QDBus::Block, callTimeoutMs);
    if (!succeeded(reply, u"Locks"_s) || reply.arguments().isEmpty())
        return {};
    QList<TestLock> result;
    for (const QVariantMap &map : qdbus_cast<QList<QVariantMap>>(reply.arguments().constFirst())) {
        result.append({map.value(u"service"_s).toString(), map.value(u"holder"_s).toString(),
                       map.value(u"who"_s).toString(), map.value(u"reason"_s).toString(),
                       map.value(u"flags"_s).toUInt(), map.value(u"what"_s).toString(),
                       map.value(u"mode"_s).toString()});
    }
    return result;
}

QList<TestLockEvent> TestServicesClient::events() const
{
    static const QMetaType registered = qDBusRegisterMetaType<QList<QVariantMap>>();
    Q_UNUSED(registered);
    const QDBusMessage reply = m_bus.call(controlCall(u"Events"_s), QDBus::Block, callTimeoutMs);
    if (!succeeded(reply, u"Events"_s) || reply.arguments().isEmpty())
        return {};
    QList<TestLockEvent> result;
    for (const QVariantMap &map : qdbus_cast<QList<QVariantMap>>(reply.arguments().constFirst())) {
        result.append(
            {map.value(u"sequence"_s).toULongLong(), map.value(u"at"_s).toLongLong(), map.value(u"kind"_s).toString(),
             map.value(u"service"_s).toString(), map.value(u"holder"_s).toString(), map.value(u"cookie"_s).toUInt(),
             map.value(u"flags"_s).toUInt(), map.value(u"what"_s).toString(), map.value(u"mode"_s).toString()});
    }
    return result;
}

bool TestServicesClient::waitForLockCount(int count, std::chrono::milliseconds timeout) const
{
    return QTest::qWaitFor([&] { return locks().size() == count; }, static_cast<int>(timeout.count()));
}

void TestServicesClient::setBehaviour(const QString &service, const QString &method, const QString &behaviour) const
{
    QDBusMessage call = controlCall(u"SetBehaviour"_s);
    call << service << method << behaviour;
    succeeded(m_bus.call(call, QDBus::Block, callTimeoutMs), u"SetBehaviour"_s);
}

void TestServicesClient::emitPrepareForSleep(bool start) const
{
    QDBusMessage call = controlCall(u"EmitPrepareForSleep"_s);
    call << start;
    succeeded(m_bus.call(call, QDBus::Block, callTimeoutMs), u"EmitPrepareForSleep"_s);
}

void TestServicesClient::setPortalSetting(const QString &group, const QString &key, const QVariant &value,
                                          bool announce) const
{
    QDBusMessage call = controlCall(u"SetPortalSetting"_s);
    call << group << key << QVariant::fromValue(QDBusVariant(value)) << announce;
    succeeded(m_bus.call(call, QDBus::Block, callTimeoutMs), u"SetPortalSetting"_s);
}

} // namespace pelorin::test
