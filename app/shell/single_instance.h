#pragma once

#include <QDBusConnection>
#include <QObject>

#include <QCoroTask>

namespace pelorin {

// Keeps one Pelorin per desktop session. The first copy owns a well-known
// name on the session bus; a copy started later asks it to open its panel
// (or its welcome window) and then leaves. Without a session bus every copy
// runs.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.pelorin.Pelorin")
public:
    explicit SingleInstance(QDBusConnection bus, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when this copy is the one to run; false when another copy runs
    // and has been asked to show its panel, or with `welcome` its welcome
    // window.
    QCoro::Task<bool> claim(bool welcome);
    // Gives the name up: a copy started from now on runs by itself (this one
    // is on its way out).
    void resign();

public Q_SLOTS:
    Q_SCRIPTABLE void OpenPanel();
    Q_SCRIPTABLE void OpenWelcome();

Q_SIGNALS:
    void panelRequested();
    void welcomeRequested();

private:
    QDBusConnection m_bus;
    bool m_registered = false;
    bool m_owner = false;
};

} // namespace pelorin
