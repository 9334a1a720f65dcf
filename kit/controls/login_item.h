#pragma once

#include "autostart_entry.h"

#include <QObject>

namespace orbel {

// The open-at-login switch of the kit's own screens, over the program's XDG
// autostart entry. Changes happen at once, on the main thread; a change that
// fails is logged and the switch falls back to what the system reports.
class LoginItem : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool enabled READ isEnabled WRITE setEnabled NOTIFY enabledChanged)

public:
    explicit LoginItem(AutostartEntry entry, QObject *parent = nullptr);

    // The one instance the kit's switches bind to, over the entry named after
    // the application's desktop file.
    static LoginItem &shared();

    bool isEnabled() const { return m_enabled; }
    // Registers (true) or unregisters (false), then re-reads the status.
    void setEnabled(bool enabled);
    // Re-reads the status; nothing is registered or unregistered.
    void refresh();

Q_SIGNALS:
    void enabledChanged(bool enabled);

private:
    void store(bool enabled);
    bool readEnabled() const;

    AutostartEntry m_entry;
    bool m_enabled = false;
};

} // namespace orbel
