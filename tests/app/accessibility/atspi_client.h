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
    explicit AtspiClient(const QString &address);
    ~AtspiClient() override;

    bool isConnected() const { return m_bus.isConnected(); }

    // The programs the registry knows (its desktop's children).
    QList<AtspiObject> applications() const;
    QString name(const AtspiObject &object) const;
    QString roleName(const AtspiObject &object) const;
    QList<AtspiObject> children(const AtspiObject &object) const;
    // Whether the object's state set holds "checked" or "showing".
    bool hasState(const AtspiObject &object, const QString &state) const;
    // The object's whole text through the text interface; nothing when it
    // has no such interface.
    std::optional<QString> text(const AtspiObject &object) const;
    // The names of the actions the object offers ("toggle", "press", ...).
    QStringList actionNames(const AtspiObject &object) const;
    // Runs the object's action of that name, as a screen reader's command
    // does; false when it has no such action or the call fails.
    bool doAction(const AtspiObject &object, const QString &action) const;
    // The objects under `root`, itself included, named `name`.
    QList<AtspiObject> findByName(const AtspiObject &root, const QString &name) const;

    // Tells the registry that this client listens for `event` (such as
    // "object:text-changed"), as a screen reader does; programs send only
    // the events someone listens for.
    bool listenFor(const QString &event);
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
    // The reply's first argument; invalid when the call failed.
    QVariant answer(const AtspiObject &object, const QString &interface, const QString &method,
                    const QVariantList &arguments = {}) const;

    QString m_connectionName;
    QDBusConnection m_bus;
    QList<AtspiEvent> m_events;
};

} // namespace pelorin::test
