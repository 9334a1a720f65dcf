#include "atspi_client.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <atomic>

using namespace Qt::StringLiterals;

namespace pelorin::test {

namespace {

constexpr int callTimeoutMs = 15'000;

const QString accessible = u"org.a11y.atspi.Accessible"_s;
const QString action = u"org.a11y.atspi.Action"_s;
const QString registryService = u"org.a11y.atspi.Registry"_s;

QVariant unwrap(const QVariant &value)
{
    return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
}

} // namespace

AtspiClient::AtspiClient(const QString &address)
    : m_connectionName([] {
          static std::atomic<int> serial = 0;
          return u"pelorin-atspi-client-%1"_s.arg(++serial);
      }()),
      m_bus(QDBusConnection::connectToBus(address, m_connectionName))
{
    for (const QString &member : {u"TextChanged"_s, u"PropertyChange"_s})
        m_bus.connect(QString(), QString(), u"org.a11y.atspi.Event.Object"_s, member, this,
                      SLOT(onEvent(QDBusMessage)));
}

AtspiClient::~AtspiClient()
{
    QDBusConnection::disconnectFromBus(m_connectionName);
}

QDBusMessage AtspiClient::call(const AtspiObject &object, const QString &interface, const QString &method,
                               const QVariantList &arguments) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(object.service, object.path, interface, method);
    message.setArguments(arguments);
    return m_bus.call(message, QDBus::Block, callTimeoutMs);
}

QVariant AtspiClient::answer(const AtspiObject &object, const QString &interface, const QString &method,
                             const QVariantList &arguments) const
{
    const QDBusMessage reply = call(object, interface, method, arguments);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return unwrap(reply.arguments().constFirst());
}

QList<AtspiObject> AtspiClient::applications() const
{
    return children({registryService, u"/org/a11y/atspi/accessible/root"_s});
}

QString AtspiClient::name(const AtspiObject &object) const
{
    return answer(object, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {accessible, u"Name"_s}).toString();
}

QString AtspiClient::roleName(const AtspiObject &object) const
{
    return answer(object, accessible, u"GetRoleName"_s).toString();
}

QList<AtspiObject> AtspiClient::children(const AtspiObject &object) const
{
    const QVariant reply = answer(object, accessible, u"GetChildren"_s);
    if (!reply.isValid())
        return {};
    // An array of references, (so) each.
    QList<AtspiObject> result;
    const auto argument = reply.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        AtspiObject child;
        QDBusObjectPath path;
        argument.beginStructure();
        argument >> child.service >> path;
        argument.endStructure();
        child.path = path.path();
        result.append(child);
    }
    argument.endArray();
    return result;
}

bool AtspiClient::hasState(const AtspiObject &object, const QString &state) const
{
    // Bits of AT-SPI's state set (AtspiStateType).
    const int bit = state == u"checked"_s ? 4 : state == u"showing"_s ? 25 : -1;
    const QVariant reply = answer(object, accessible, u"GetState"_s);
    if (bit < 0 || !reply.isValid())
        return false;
    QList<uint> words;
    reply.value<QDBusArgument>() >> words;
    return words.size() > bit / 32 && (words[bit / 32] & (1u << (bit % 32)));
}

std::optional<QString> AtspiClient::text(const AtspiObject &object) const
{
    // -1: up to the end.
    const QVariant reply = answer(object, u"org.a11y.atspi.Text"_s, u"GetText"_s, {0, -1});
    if (!reply.isValid())
        return std::nullopt;
    return reply.toString();
}

QStringList AtspiClient::actionNames(const AtspiObject &object) const
{
    QStringList names;
    const int count = answer(object, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {action, u"NActions"_s}).toInt();
    for (int i = 0; i < count; ++i)
        names.append(answer(object, action, u"GetName"_s, {i}).toString());
    return names;
}

bool AtspiClient::doAction(const AtspiObject &object, const QString &name) const
{
    const QStringList names = actionNames(object);
    const auto found = std::ranges::find_if(
        names, [&](const QString &offered) { return offered.compare(name, Qt::CaseInsensitive) == 0; });
    return found != names.end() && answer(object, action, u"DoAction"_s, {int(found - names.begin())}).toBool();
}

QList<AtspiObject> AtspiClient::findByName(const AtspiObject &root, const QString &wanted) const
{
    QList<AtspiObject> result;
    if (name(root) == wanted)
        result.append(root);
    for (const AtspiObject &child : children(root))
        result.append(findByName(child, wanted));
    return result;
}

bool AtspiClient::listenFor(const QString &event)
{
    const AtspiObject registry{registryService, u"/org/a11y/atspi/registry"_s};
    const QString interface = u"org.a11y.atspi.Registry"_s;
    if (call(registry, interface, u"RegisterEvent"_s, {event}).type() == QDBusMessage::ReplyMessage)
        return true;
    // Newer registries also take the properties to cache and a program to
    // listen to.
    return call(registry, interface, u"RegisterEvent"_s, {event, QStringList(), QString()}).type() ==
           QDBusMessage::ReplyMessage;
}

void AtspiClient::onEvent(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    m_events.append({{message.service(), message.path()},
                     message.member(),
                     arguments.isEmpty() ? QString() : arguments[0].toString(),
                     arguments.size() > 3 ? unwrap(arguments[3]).toString() : QString()});
}

void AtspiClient::clearEvents()
{
    // Signals that came in during the blocking calls wait in the event
    // queue; they belong to what happened before.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    m_events.clear();
}

bool AtspiClient::waitForEvent(const std::function<bool(const AtspiEvent &)> &match,
                               std::chrono::milliseconds timeout) const
{
    const QDeadlineTimer deadline(timeout);
    while (!std::ranges::any_of(m_events, match)) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    return true;
}

} // namespace pelorin::test
