#pragma once

#include <QAccessible>

#include <QString>

class QWidget;

namespace orbel {

// Makes a kit widget one element for screen readers, whatever it holds: its
// children are not read on their own. It reads in `role` under its accessible
// name; a button (a QAbstractButton in the Button role) is pressable through
// the press action, which runs the same path as a click. Call it before
// anything asks the widget for its accessibility.
void setAccessibilityElement(QWidget *widget, QAccessible::Role role);
bool isAccessibilityElement(const QWidget *widget);

// `text` as a screen reader is given it: without the soft hyphens (U+00AD)
// that a translation puts where a long word may break on screen, which some
// readers would spell out. Every text that becomes an accessible name,
// description or value goes through it.
QString spokenText(QString text);

// The element's value (a button's current setting, say); empty for none.
void setAccessibilityValue(QWidget *widget, const QString &value);
QString accessibilityValue(const QWidget *widget);

// Marks the element as one of a set that can be selected, and whether it is
// the selected one.
void setAccessibilitySelected(QWidget *widget, bool selected);

} // namespace orbel
