#pragma once

#include <functional>

class QWidget;

namespace pelorin {

class AppModel;

// The content of the tray panel over the model; `quit` ends the program
// through its orderly path.
QWidget *makePanelContent(AppModel &model, std::function<void()> quit);

} // namespace pelorin
