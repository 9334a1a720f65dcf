#pragma once

#include "orbel_brand.h"

namespace pelorin {

// Pelorin's identity as the kit draws it: the name, a warm amber, the offline
// privacy promise, and a slightly deeper amber as the accent on light
// backgrounds (the brand colour itself serves as the dark accent). One value
// for the whole program, shared by the panel and both windows.
const orbel::OrbelBrand &appBrand();

} // namespace pelorin
