#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

namespace orbel {

// The one place where symbol names ("gearshape", "sun.max.fill", "3.circle"...)
// become pictures. Most come from the Adwaita symbolic icons; those without a
// good match, and every symbol when the theme is missing, are drawn here.
// Either way the picture is one colour, the tint, with its own transparency.
namespace SymbolTable {

// Whether the name is known.
bool contains(QStringView symbol);
// The Adwaita icon the symbol maps to, or empty when the kit draws it itself.
QString themeIcon(QStringView symbol);
// The symbol in `tint`, `side` logical pixels square, at the pixel ratio.
// Unknown names give a transparent pixmap.
QPixmap pixmap(QStringView symbol, const QColor &tint, int side, qreal devicePixelRatio);
// Draws the symbol centred in `rect` as the largest square that fits, sharp
// on the painter's device.
void paint(QPainter &painter, const QRectF &rect, QStringView symbol, const QColor &tint);

} // namespace SymbolTable

// The pixel ratio a painter really draws at. While a widget renders into an
// image, the painter still names the widget as its device, so the ratio comes
// from the device the paint engine writes to.
qreal paintPixelRatio(const QPainter &painter);

} // namespace orbel
