#include "native_login_item_service.h"

namespace pelorin {

using namespace Qt::StringLiterals;

namespace {

LoginItemState toLoginItemState(orbel::AutostartStatus status)
{
    switch (status) {
    case orbel::AutostartStatus::disabled:
        return LoginItemState::disabled;
    case orbel::AutostartStatus::enabled:
        return LoginItemState::enabled;
    case orbel::AutostartStatus::requiresApproval:
        return LoginItemState::requiresApproval;
    case orbel::AutostartStatus::unavailable:
        return LoginItemState::unavailable;
    }
    return LoginItemState::unavailable;
}

orbel::AutostartIdentity withDefaults(orbel::AutostartIdentity identity)
{
    if (identity.appId.isEmpty())
        identity.appId = QStringLiteral(PELORIN_APP_ID);
    if (identity.name.isEmpty())
        identity.name = u"Pelorin"_s;
    // The icon is installed under the app id.
    if (identity.iconName.isEmpty())
        identity.iconName = identity.appId;
    // Our entry stays ours when Pelorin moves: it carries our mark, or, when
    // an older Pelorin wrote it, starts a program named pelorin.
    if (identity.markKey.isEmpty())
        identity.markKey = u"X-Pelorin-Autostart"_s;
    if (identity.programName.isEmpty())
        identity.programName = u"pelorin"_s;
    return identity;
}

} // namespace

NativeLoginItemService::NativeLoginItemService() : NativeLoginItemService(orbel::AutostartIdentity{})
{
}

NativeLoginItemService::NativeLoginItemService(orbel::AutostartIdentity identity)
    : m_entry(withDefaults(std::move(identity)))
{
}

LoginItemState NativeLoginItemService::status() const
{
    return toLoginItemState(m_entry.status());
}

QCoro::Task<> NativeLoginItemService::setEnabled(bool enabled)
{
    // Writing or removing one small file: done at once, on the main thread.
    if (enabled)
        m_entry.enable();
    else
        m_entry.disable();
    co_return;
}

void NativeLoginItemService::openSettings()
{
    m_entry.openSettings();
}

} // namespace pelorin
