#pragma once

#include "orbel_environment.h"

namespace pelorin::gallery {

class GalleryFolder;

// The kit's window pieces in one scheme: the preferences rows and the pages
// that hold them, the welcome buttons, steps and pages.
void drawWindowKit(GalleryFolder &folder, orbel::ColorScheme scheme);

} // namespace pelorin::gallery
