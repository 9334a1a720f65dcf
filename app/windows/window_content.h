// What the preferences and welcome windows' contents share: how they take the
// colour scheme, and how their windows go when the model they show goes.
#pragma once

#include "orbel_environment.h"

#include <functional>
#include <memory>

class QWidget;

namespace pelorin {

class AppModel;

namespace WindowContent {

// The environment a window's content starts in: the everyday text size; the
// colour scheme and motion follow the desktop once followDesktop() runs.
orbel::OrbelEnvironment initialEnvironment();

// Keeps `view` (a kit widget) in the desktop's colour scheme and animation
// setting from now on.
void followDesktop(QWidget *view);

// The plain parts of a page that take the palette rather than the
// environment (the window's band over scrolled content, say) in the page's
// own background and text colours.
void applySchemePalette(QWidget *view, orbel::ColorScheme scheme);

// Builds a window's content over the model and ties the window to the model:
// the window is built once and reused while the model lives, and is deleted
// with it, so that no window ever shows a model that has gone (its shared
// host then builds a fresh one on the next show).
std::unique_ptr<QWidget> boundToModel(AppModel &model, const std::function<QWidget *(AppModel &)> &build);

} // namespace WindowContent

} // namespace pelorin
