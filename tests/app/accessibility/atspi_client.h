#pragma once

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>

namespace pelorin::test {

using namespace Qt::StringLiterals;

// One accessible object as AT-SPI names it: the bus name of the program that
// offers it and its object path there.
struct AtspiObject {
    QString service;
    QString path;

    bool operator==(const AtspiObject &) const = default;
};

// One event a program sent on the accessibility bus, as a screen reader that
// listens for it receives it.
struct AtspiEvent {
    AtspiObject source;
    QString member; // "TextChanged", "PropertyChange"
    QString detail; // "insert", "delete", "accessible-name", ...
    QString text;   // the inserted or removed text
};

// A screen reader's view of the desktop, in the words of the AT-SPI D-Bus
// protocol: the registry's programs, and for each object what a screen
// reader reads and does. Calls that fail or time out give empty answers;
// the tests say what they expected.
class AtspiClient : public QObject {
    Q_OBJECT

public:
    // Connects to the accessibility bus at `address`.
    explicit AtspiClient(const QString &address)
        : m_bus(QDBusConnection::connectToBus(address, u"pelorin-atspi-client"_s))
    {
        for (const char *member : {"TextChanged", "PropertyChange"})
            m_bus.connect(QString(), QString(), u"org.a11y.atspi.Event.Object"_s, QString::fromLatin1(member), this,
                          SLOT(onEvent(QDBusMessage)));
    }
    ~AtspiClient() override { QDBusConnection::disconnectFromBus(m_bus.name()); }

    bool isConnected() const { return m_bus.isConnected(); }

    // The programs the registry knows (its desktop's children).
    QList<AtspiObject> applications() const { return children({registry, u"/org/a11y/atspi/accessible/root"_s}); }

    QString name(const AtspiObject &object) const { return property(object, accessible, "Name").toString(); }
    QString roleName(const AtspiObject &object) const { return answer(object, accessible, "GetRoleName").toString(); }

    QList<AtspiObject> children(const AtspiObject &object) const
    {
        const QVariant reply = answer(object, accessible, "GetChildren");
        if (!reply.isValid())
            return {};
        // An array of references, (so) each.
        QList<AtspiObject> result;
        const auto argument = reply.value<QDBusArgument>();
        argument.beginArray();
        while (!argument.atEnd()) {
            QDBusObjectPath path;
            argument.beginStructure();
            argument >> result.emplaceBack().service >> path;
            argument.endStructure();
            result.back().path = path.path();
        }
        argument.endArray();
        return result;
    }

    // Whether the object's state set holds "checked" or "showing".
    bool hasState(const AtspiObject &object, const QString &state) const
    {
        // Bits of AT-SPI's state set (AtspiStateType).
        const int bit = state == u"checked"_s ? 4 : state == u"showing"_s ? 25 : -1;
        const QVariant reply = answer(object, accessible, "GetState");
        QList<uint> words;
        if (bit < 0 || !reply.isValid())
            return false;
        reply.value<QDBusArgument>() >> words;
        return words.size() > bit / 32 && (words[bit / 32] & (1u << (bit % 32)));
    }

    // The object's whole text (-1: up to the end) through the text
    // interface; nothing when it has no such interface.
    std::optional<QString> text(const AtspiObject &object) const
    {
        const QVariant reply = answer(object, u"org.a11y.atspi.Text"_s, "GetText", {0, -1});
        return reply.isValid() ? std::optional(reply.toString()) : std::nullopt;
    }

    // The names of the actions the object offers ("Toggle", "Press", ...).
    QStringList actionNames(const AtspiObject &object) const
    {
        QStringList names;
        for (int i = 0, count = property(object, action, "NActions").toInt(); i < count; ++i)
            names.append(answer(object, action, "GetName", {i}).toString());
        return names;
    }

    // Runs the object's action of that name, as a screen reader's command
    // does; false when it has no such action or the call fails.
    bool doAction(const AtspiObject &object, const QString &name) const
    {
        const QStringList names = actionNames(object);
        const auto found = std::ranges::find_if(
            names, [&](const QString &offered) { return offered.compare(name, Qt::CaseInsensitive) == 0; });
        return found != names.end() && answer(object, action, "DoAction", {int(found - names.begin())}).toBool();
    }

    // The objects under `root`, itself included, named `name`.
    QList<AtspiObject> findByName(const AtspiObject &root, const QString &wanted) const
    {
        QList<AtspiObject> result;
        if (name(root) == wanted)
            result.append(root);
        for (const AtspiObject &child : children(root))
            result.append(findByName(child, wanted));
        return result;
    }

    // Tells the registry that this client listens for `event` (such as
    // "object:text-changed"), as a screen reader does; programs send only
    // the events someone listens for. Newer registries also take the
    // properties to cache and a program to listen to.
    bool listenFor(const QString &event) const
    {
        const AtspiObject registryObject{registry, u"/org/a11y/atspi/registry"_s};
        const QString interface = u"org.a11y.atspi.Registry"_s;
        return call(registryObject, interface, "RegisterEvent", {event}).type() == QDBusMessage::ReplyMessage ||
               call(registryObject, interface, "RegisterEvent", {event, QStringList(), QString()}).type() ==
                   QDBusMessage::ReplyMessage;
    }

    // Forgets the events received so far, those already on their way to
    // this client included (they wait in the event queue).
    void clearEvents()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        m_events.clear();
    }

    // Runs the event loop until an event matching `match` has arrived, or
    // `timeout` has passed.
    bool waitForEvent(const std::function<bool(const AtspiEvent &)> &match, std::chrono::milliseconds timeout) const
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

private Q_SLOTS:
    void onEvent(const QDBusMessage &message)
    {
        const QVariantList arguments = message.arguments();
        m_events.append({{message.service(), message.path()},
                         message.member(),
                         arguments.value(0).toString(),
                         unwrap(arguments.value(3)).toString()});
    }

private:
    static QVariant unwrap(const QVariant &value)
    {
        return value.canConvert<QDBusVariant>() ? value.value<QDBusVariant>().variant() : value;
    }

    QDBusMessage call(const AtspiObject &object, const QString &interface, const char *method,
                      const QVariantList &arguments = {}) const
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(object.service, object.path, interface, QString::fromLatin1(method));
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 15'000);
    }

    // The reply's first argument; invalid when the call failed.
    QVariant answer(const AtspiObject &object, const QString &interface, const char *method,
                    const QVariantList &arguments = {}) const
    {
        const QDBusMessage reply = call(object, interface, method, arguments);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return unwrap(reply.arguments().constFirst());
    }

    QVariant property(const AtspiObject &object, const QString &interface, const char *name) const
    {
        return answer(object, u"org.freedesktop.DBus.Properties"_s, "Get", {interface, QString::fromLatin1(name)});
    }

    const QString accessible = u"org.a11y.atspi.Accessible"_s;
    const QString action = u"org.a11y.atspi.Action"_s;
    const QString registry = u"org.a11y.atspi.Registry"_s;
    QDBusConnection m_bus;
    QList<AtspiEvent> m_events;
};

} // namespace pelorin::test
