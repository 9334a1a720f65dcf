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

const QString accessibleInterface = u"org.a11y.atspi.Accessible"_s;
const QString registryService = u"org.a11y.atspi.Registry"_s;
const QString rootPath = u"/org/a11y/atspi/accessible/root"_s;

// AT-SPI's state names, by bit (AtspiStateType).
const QStringList stateNames = {
    u"invalid"_s,         u"active"_s,
    u"armed"_s,           u"busy"_s,
    u"checked"_s,         u"collapsed"_s,
    u"defunct"_s,         u"editable"_s,
    u"enabled"_s,         u"expandable"_s,
    u"expanded"_s,        u"focusable"_s,
    u"focused"_s,         u"has-tooltip"_s,
    u"horizontal"_s,      u"iconified"_s,
    u"modal"_s,           u"multi-line"_s,
    u"multiselectable"_s, u"opaque"_s,
    u"pressed"_s,         u"resizable"_s,
    u"selectable"_s,      u"selected"_s,
    u"sensitive"_s,       u"showing"_s,
    u"single-line"_s,     u"stale"_s,
    u"transient"_s,       u"vertical"_s,
    u"visible"_s,         u"manages-descendants"_s,
    u"indeterminate"_s,   u"required"_s,
    u"truncated"_s,       u"animated"_s,
    u"invalid-entry"_s,   u"supports-autocompletion"_s,
    u"selectable-text"_s, u"is-default"_s,
    u"visited"_s,         u"checkable"_s,
    u"has-popup"_s,       u"read-only"_s,
};

// A reference as the protocol sends it: (so).
AtspiObject readReference(const QDBusArgument &argument)
{
    AtspiObject object;
    QDBusObjectPath path;
    argument.beginStructure();
    argument >> object.service >> path;
    argument.endStructure();
    object.path = path.path();
    return object;
}

QVariant unwrap(const QVariant &value)
{
    if (value.canConvert<QDBusVariant>())
        return value.value<QDBusVariant>().variant();
    return value;
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

QVariant AtspiClient::property(const AtspiObject &object, const QString &interface, const QString &name) const
{
    const QDBusMessage reply =
        call(object, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, {QVariant(interface), QVariant(name)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return unwrap(reply.arguments().constFirst());
}

QList<AtspiObject> AtspiClient::applications() const
{
    return children({registryService, rootPath});
}

std::optional<AtspiObject> AtspiClient::waitForApplication(const QString &wanted,
                                                           std::chrono::milliseconds timeout) const
{
    QDeadlineTimer deadline(timeout);
    for (;;) {
        for (const AtspiObject &application : applications()) {
            if (name(application) == wanted)
                return application;
        }
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(50);
    }
}

QString AtspiClient::name(const AtspiObject &object) const
{
    return property(object, accessibleInterface, u"Name"_s).toString();
}

QString AtspiClient::description(const AtspiObject &object) const
{
    return property(object, accessibleInterface, u"Description"_s).toString();
}

int AtspiClient::childCount(const AtspiObject &object) const
{
    return property(object, accessibleInterface, u"ChildCount"_s).toInt();
}

QString AtspiClient::roleName(const AtspiObject &object) const
{
    const QDBusMessage reply = call(object, accessibleInterface, u"GetRoleName"_s);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toString();
}

QStringList AtspiClient::interfaces(const AtspiObject &object) const
{
    const QDBusMessage reply = call(object, accessibleInterface, u"GetInterfaces"_s);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toStringList();
}

QList<AtspiObject> AtspiClient::children(const AtspiObject &object) const
{
    const QDBusMessage reply = call(object, accessibleInterface, u"GetChildren"_s);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QList<AtspiObject> result;
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd())
        result.append(readReference(argument));
    argument.endArray();
    return result;
}

QStringList AtspiClient::states(const AtspiObject &object) const
{
    const QDBusMessage reply = call(object, accessibleInterface, u"GetState"_s);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    QList<uint> words;
    const auto argument = reply.arguments().constFirst().value<QDBusArgument>();
    argument >> words;
    QStringList result;
    for (qsizetype word = 0; word < words.size(); ++word) {
        for (int bit = 0; bit < 32; ++bit) {
            if (!(words[word] & (1u << bit)))
                continue;
            const qsizetype index = word * 32 + bit;
            result.append(index < stateNames.size() ? stateNames[index] : u"state-%1"_s.arg(index));
        }
    }
    return result;
}

std::optional<QString> AtspiClient::text(const AtspiObject &object) const
{
    const QString textInterface = u"org.a11y.atspi.Text"_s;
    if (!interfaces(object).contains(textInterface))
        return std::nullopt;
    const int count = property(object, textInterface, u"CharacterCount"_s).toInt();
    const QDBusMessage reply = call(object, textInterface, u"GetText"_s, {QVariant(0), QVariant(count)});
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().constFirst().toString();
}

std::optional<double> AtspiClient::currentValue(const AtspiObject &object) const
{
    const QString valueInterface = u"org.a11y.atspi.Value"_s;
    if (!interfaces(object).contains(valueInterface))
        return std::nullopt;
    const QVariant value = property(object, valueInterface, u"CurrentValue"_s);
    if (!value.isValid())
        return std::nullopt;
    return value.toDouble();
}

QStringList AtspiClient::actionNames(const AtspiObject &object) const
{
    const QString actionInterface = u"org.a11y.atspi.Action"_s;
    QStringList names;
    if (!interfaces(object).contains(actionInterface))
        return names;
    const int count = property(object, actionInterface, u"NActions"_s).toInt();
    for (int i = 0; i < count; ++i) {
        const QDBusMessage reply = call(object, actionInterface, u"GetName"_s, {QVariant(i)});
        names.append(reply.arguments().isEmpty() ? QString() : reply.arguments().constFirst().toString());
    }
    return names;
}

bool AtspiClient::doAction(const AtspiObject &object, const QString &action) const
{
    const QStringList names = actionNames(object);
    const auto found = std::find_if(names.begin(), names.end(), [&action](const QString &name) {
        return name.compare(action, Qt::CaseInsensitive) == 0;
    });
    if (found == names.end())
        return false;
    const int index = int(found - names.begin());
    const QDBusMessage reply = call(object, u"org.a11y.atspi.Action"_s, u"DoAction"_s, {QVariant(int(index))});
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
           reply.arguments().constFirst().toBool();
}

QList<AtspiObject> AtspiClient::subtree(const AtspiObject &root, int limit) const
{
    QList<AtspiObject> result;
    QList<AtspiObject> pending{root};
    while (!pending.isEmpty() && result.size() < limit) {
        const AtspiObject object = pending.takeLast();
        result.append(object);
        QList<AtspiObject> below = children(object);
        // Depth first, in the children's order.
        for (auto it = below.crbegin(); it != below.crend(); ++it)
            pending.append(*it);
    }
    return result;
}

QList<AtspiObject> AtspiClient::findByName(const AtspiObject &root, const QString &wanted) const
{
    QList<AtspiObject> result;
    for (const AtspiObject &object : subtree(root)) {
        if (name(object) == wanted)
            result.append(object);
    }
    return result;
}

bool AtspiClient::listenFor(const QString &event)
{
    const AtspiObject registry{registryService, u"/org/a11y/atspi/registry"_s};
    const QString interface = u"org.a11y.atspi.Registry"_s;
    QDBusMessage reply = call(registry, interface, u"RegisterEvent"_s, {QVariant(event)});
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    // Newer registries also take the properties to cache and a program to
    // listen to.
    reply =
        call(registry, interface, u"RegisterEvent"_s, {QVariant(event), QVariant(QStringList()), QVariant(QString())});
    return reply.type() == QDBusMessage::ReplyMessage;
}

void AtspiClient::onEvent(const QDBusMessage &message)
{
    AtspiEvent event;
    event.source = {message.service(), message.path()};
    event.interface = message.interface();
    event.member = message.member();
    const QVariantList arguments = message.arguments();
    if (!arguments.isEmpty())
        event.detail = arguments[0].toString();
    if (arguments.size() > 3)
        event.text = unwrap(arguments[3]).toString();
    m_events.append(event);
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
    QDeadlineTimer deadline(timeout);
    for (;;) {
        for (const AtspiEvent &event : m_events) {
            if (match(event))
                return true;
        }
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

} // namespace pelorin::test
