#include "single_instance.h"

#include "dbus_call.h"

#include <QDBusMessage>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace pelorin {

namespace {
const QString serviceName = QStringLiteral(PELORIN_APP_ID);
const QString objectPath = u"/org/pelorin/Pelorin"_s;
const QString interfaceName = u"org.pelorin.Pelorin"_s;
constexpr std::chrono::milliseconds callTimeout{3000};

// RequestName's flag and answers.
constexpr uint doNotQueue = 4;
constexpr uint primaryOwner = 1;
constexpr uint alreadyOwner = 4;
} // namespace

SingleInstance::SingleInstance(QDBusConnection bus, QObject *parent) : QObject(parent), m_bus(std::move(bus))
{
}

SingleInstance::~SingleInstance()
{
    resign();
}

void SingleInstance::resign()
{
    if (m_registered)
        m_bus.unregisterObject(objectPath);
    m_registered = false;
    if (m_owner) {
        QDBusMessage release = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                              u"org.freedesktop.DBus"_s, u"ReleaseName"_s);
        release << serviceName;
        m_bus.send(release);
    }
    m_owner = false;
}

QCoro::Task<bool> SingleInstance::claim(bool welcome)
{
    if (!m_bus.isConnected())
        co_return true;
    // In place before the name is ours, so that a copy started right after
    // finds someone to answer.
    m_registered = m_bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);

    const QPointer<SingleInstance> self(this);
    QDBusMessage request = QDBusMessage::createMethodCall(u"org.freedesktop.DBus"_s, u"/org/freedesktop/DBus"_s,
                                                          u"org.freedesktop.DBus"_s, u"RequestName"_s);
    request << serviceName << doNotQueue;
    const std::optional<QDBusMessage> answer = co_await DBusCall::call(m_bus, request, this, callTimeout);
    if (!self)
        co_return false;
    if (!answer || answer->type() != QDBusMessage::ReplyMessage || answer->arguments().isEmpty())
        co_return true; // the bus would not say: run rather than not at all
    const uint result = answer->arguments().constFirst().toUInt();
    if (result == primaryOwner || result == alreadyOwner) {
        m_owner = true;
        co_return true;
    }

    const QDBusMessage open = QDBusMessage::createMethodCall(serviceName, objectPath, interfaceName,
                                                             welcome ? u"OpenWelcome"_s : u"OpenPanel"_s);
    co_await DBusCall::call(m_bus, open, this, callTimeout);
    co_return false;
}

void SingleInstance::OpenPanel()
{
    Q_EMIT panelRequested();
}

void SingleInstance::OpenWelcome()
{
    Q_EMIT welcomeRequested();
}

} // namespace pelorin
