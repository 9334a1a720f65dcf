#pragma once

#include "autostart_entry.h"
#include "login_item_service.h"

namespace pelorin {

// The login item as an XDG autostart entry of this program in the user's
// configuration folder ($XDG_CONFIG_HOME/autostart/<app id>.desktop).
class NativeLoginItemService final : public LoginItemService {
public:
    // The entry of the running program, under Pelorin's app id, name and icon,
    // in the user's configuration folder.
    NativeLoginItemService();
    // The same with some parts given (a test's folder or program); empty ones
    // take the defaults above.
    explicit NativeLoginItemService(orbel::AutostartIdentity identity);

    LoginItemState status() const override;
    // Throws orbel::AutostartError.
    QCoro::Task<> setEnabled(bool enabled) override;
    void openSettings() override;

    const orbel::AutostartEntry &entry() const { return m_entry; }

private:
    orbel::AutostartEntry m_entry;
};

} // namespace pelorin
