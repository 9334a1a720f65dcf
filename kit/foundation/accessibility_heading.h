#pragma once

class QWidget;

namespace orbel {

// Marks a text widget as a heading, so that screen readers announce it as one
// and let people jump between the sections of a window by their headings.
void setAccessibilityHeading(QWidget *widget);
bool isAccessibilityHeading(const QWidget *widget);

} // namespace orbel
