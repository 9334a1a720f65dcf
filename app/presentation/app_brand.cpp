#include "app_brand.h"

namespace pelorin {

const orbel::OrbelBrand &appBrand()
{
    // Built on first use; a function-local static is initialised once even
    // when two threads get here together.
    static const orbel::OrbelBrand brand(QStringLiteral("Pelorin"), QColor::fromRgb(184, 115, 0),
                                         orbel::OrbelBrand::Connection::Offline, std::nullopt,
                                         QColor::fromRgb(176, 112, 0));
    return brand;
}

} // namespace pelorin
