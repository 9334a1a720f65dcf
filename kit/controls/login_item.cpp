#include "login_item.h"

#include "login_item_log.h"

#include <QGuiApplication>

#include <exception>
#include <utility>

namespace orbel {

LoginItem::LoginItem(AutostartEntry entry, QObject *parent) : QObject(parent), m_entry(std::move(entry))
{
    m_enabled = readEnabled();
}

LoginItem &LoginItem::shared()
{
    static LoginItem item([] {
        AutostartIdentity identity;
        identity.appId = QGuiApplication::desktopFileName();
        if (identity.appId.isEmpty())
            identity.appId = QCoreApplication::applicationName();
        return AutostartEntry(identity);
    }());
    return item;
}

bool LoginItem::readEnabled() const
{
    return m_entry.status() == AutostartStatus::enabled;
}

void LoginItem::setEnabled(bool enabled)
{
    try {
        if (enabled)
            m_entry.enable();
        else
            m_entry.disable();
    } catch (const std::exception &error) {
        logLoginItemChangeFailed(QString::fromUtf8(error.what()));
    }
    // Whatever happened, show what the system now says.
    store(readEnabled());
}

void LoginItem::refresh()
{
    store(readEnabled());
}

void LoginItem::store(bool enabled)
{
    if (m_enabled == enabled)
        return;
    m_enabled = enabled;
    Q_EMIT enabledChanged(enabled);
}

} // namespace orbel
