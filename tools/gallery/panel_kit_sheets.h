#pragma once

#include "orbel_environment.h"

namespace pelorin::gallery {

class GalleryFolder;

// The kit's controls and the pieces of a panel, in one scheme: switches,
// buttons, the focus ring, cards, notices, privacy lines, whole panels and
// their rows, the symbols and the brand background.
void drawPanelKit(GalleryFolder &folder, orbel::ColorScheme scheme);

} // namespace pelorin::gallery
