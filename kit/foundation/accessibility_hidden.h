#pragma once

class QWidget;

namespace orbel {

// Marks a decorative widget (an icon, a dot, a ring) so that screen readers
// pass over it. Call it before anything asks the widget for its accessibility.
void setAccessibilityHidden(QWidget *widget);
bool isAccessibilityHidden(const QWidget *widget);

} // namespace orbel
