#pragma once

#include <QString>

namespace pelorin::gallery {

class GalleryFolder;

// The program's own screens, drawn by the program itself in snapshot mode:
// the panel in every staged state, the preferences and the welcome window,
// each light and dark, at the everyday and the largest text size, and a few
// panels that stretch it (a forced height, a long count-down, German).
void drawScreens(GalleryFolder &folder, const QString &program);

} // namespace pelorin::gallery
