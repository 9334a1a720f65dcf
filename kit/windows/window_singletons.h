// The application's windows other than the panel: one of each kind, built on
// first use and reused for the life of the process. Main thread only.
#pragma once

#include "fixed_window.h"

namespace orbel {

// The preferences window: 560 wide (768 when `wide`), top edge kept, content
// scrolled when taller than the screen allows, Ctrl+W closes it.
namespace PreferencesWindow {
void show(const QString &title, bool wide, FixedWindow::Action onClose, const FixedWindow::Content &content);
QWidget *window(const QString &title, bool wide, FixedWindow::Action onClose, const FixedWindow::Content &content);
// Closes the window if it has been built.
void close();
} // namespace PreferencesWindow

// The getting-started window: 560 wide, top edge kept, sized by what its
// content reports through fixedWindowSizeReport(), Ctrl+W closes it.
namespace WelcomeStepsWindow {
void show(const QString &title, FixedWindow::Action onClose, const FixedWindow::Content &content);
QWidget *window(const QString &title, FixedWindow::Action onClose, const FixedWindow::Content &content);
// Closes the window if it has been built.
void close();
} // namespace WelcomeStepsWindow

// A plain single-page window sized by its content's layout, without size
// reports or keys of its own.
namespace WelcomeWindow {
void show(const QString &title, const FixedWindow::Content &content);
// Closes the window if it has been built.
void close();
} // namespace WelcomeWindow

} // namespace orbel
