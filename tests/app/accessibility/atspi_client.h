#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

namespace pelorin::test {

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
    QString interface; // "org.a11y.atspi.Event.Object"
    QString member;    // "TextChanged", "PropertyChange", ...
    QString detail;    // "insert", "delete", "accessible-name", ...
    QString text;      // the inserted or removed text, or the new property value
};

// A screen reader's view of the desktop, in the words of the AT-SPI D-Bus
// protocol: the registry's list of programs, and for each object its name,
// role, children, states and the text and value interfaces a screen reader
// reads. Calls that fail or time out give empty answers; the tests say what
// they expected.
class AtspiClient : public QObject {
    Q_OBJECT

public:
    // Connects to the accessibility bus at `address`.
    explicit AtspiClient(const QString &address);
    ~AtspiClient() override;

    bool isConnected() const { return m_bus.isConnected(); }

    // The programs the registry knows (its desktop's children).
    QList<AtspiObject> applications() const;
    // The program of that name, once it has joined the registry; waits up to
    // `timeout`.
    std::optional<AtspiObject> waitForApplication(const QString &name, std::chrono::milliseconds timeout) const;

    QString name(const AtspiObject &object) const;
    QString description(const AtspiObject &object) const;
    QString roleName(const AtspiObject &object) const;
    QStringList interfaces(const AtspiObject &object) const;
    QList<AtspiObject> children(const AtspiObject &object) const;
    // The child count the object states, which a screen reader trusts before
    // it asks for the children.
    int childCount(const AtspiObject &object) const;
    // The names of the states set (AT-SPI's names: "showing", "visible",
    // "enabled", ...).
    QStringList states(const AtspiObject &object) const;
    // The object's whole text through the text interface; nothing when it
    // has no such interface.
    std::optional<QString> text(const AtspiObject &object) const;
    // The value interface's current value; nothing without that interface.
    std::optional<double> currentValue(const AtspiObject &object) const;

    // The names of the actions the object offers ("toggle", "press", ...).
    QStringList actionNames(const AtspiObject &object) const;
    // Runs the object's action of that name, as a screen reader's command
    // does; false when it has no such action or the call fails.
    bool doAction(const AtspiObject &object, const QString &action) const;

    // `root` and everything under it, depth first, visiting at most
    // `limit` objects.
    QList<AtspiObject> subtree(const AtspiObject &root, int limit = 2000) const;
    // The objects under `root` whose name is `name`.
    QList<AtspiObject> findByName(const AtspiObject &root, const QString &name) const;

    // Tells the registry that this client listens for `event` (such as
    // "object:text-changed"), as a screen reader does; programs send only
    // the events someone listens for.
    bool listenFor(const QString &event);
    // The events received so far.
    const QList<AtspiEvent> &events() const { return m_events; }
    // Forgets the events received so far, those already on their way to
    // this client included.
    void clearEvents();
    // Runs the event loop until an event matching `match` has arrived, or
    // `timeout` has passed.
    bool waitForEvent(const std::function<bool(const AtspiEvent &)> &match, std::chrono::milliseconds timeout) const;

private Q_SLOTS:
    void onEvent(const QDBusMessage &message);

private:
    QDBusMessage call(const AtspiObject &object, const QString &interface, const QString &method,
                      const QVariantList &arguments = {}) const;
    QVariant property(const AtspiObject &object, const QString &interface, const QString &name) const;

    QString m_connectionName;
    QDBusConnection m_bus;
    QList<AtspiEvent> m_events;
};

} // namespace pelorin::test
