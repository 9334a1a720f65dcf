#pragma once

#include "orbel_environment.h"

#include <QImage>
#include <QWidget>

namespace pelorin::gallery {

// How much sharper than the screen the kit's pictures are drawn.
inline constexpr qreal pictureRatio = 2.0;

// A piece shown on the plain background of its scheme, with room around it,
// laid out at its preferred height for the width asked for. The stage owns
// the piece.
class PieceStage : public QWidget {
public:
    PieceStage(QWidget *piece, orbel::ColorScheme scheme, int width, int margin = 16);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    orbel::ColorScheme m_scheme;
};

// Lays the widget out at its preferred height for `width` (or its own width).
void layOut(QWidget *widget, int width = 0);
// Lets queued layout passes and deferred work run for a moment.
void settle(int milliseconds = 20);
// The widget as it is now, drawn at `ratio` pixels per unit.
QImage picture(QWidget *widget, qreal ratio = pictureRatio);

} // namespace pelorin::gallery
