#pragma once

#include "brand_focus_ring.h"
#include "orbel_environment.h"

class QWidget;

namespace orbel {

// How far a focus ring reaches beyond its control. A widget clips what it
// holds, so whatever holds a ringed control keeps at least this much room
// around it; the preferences rows keep it on their left and right and are
// laid out that much wider than they look.
inline constexpr int focusRingRoom = BrandFocusRing::outset;

// Gives a control of the preferences and welcome screens the kit's focus ring:
// the control takes keyboard focus (by Tab, not by click), and the ring in
// `shape` shows while it has focus and the environment says the keyboard has
// been used since the window became active. The ring lives beside the control
// in its parent and follows the environment that reaches that parent; when
// the control moves to another parent, a new ring goes with it. A control
// without a parent gets its ring when it gets a parent. With
// RingLayer::AboveContent the ring lives above the content of the enclosing
// scroll area instead (give it once the control sits there), so that the
// control's own tightly drawn parents do not clip it.
void preferencesFocusRing(QWidget *control, RingShape shape, const OrbelEnvironment &environment,
                          RingLayer layer = RingLayer::BesideControl);

// The ring the control wears now, if any.
BrandFocusRing *preferencesFocusRingOf(const QWidget *control);

} // namespace orbel
