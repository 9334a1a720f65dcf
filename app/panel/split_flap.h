#pragma once

#include "orbel_environment.h"
#include "orbel_metrics.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QSizeF>
#include <QTransform>
#include <QWidget>

class QTimeLine;

namespace pelorin {

// The readout card's own shade: it stays dark in both schemes, a touch
// lighter in the light one so it sits well on a white panel.
QColor readoutCardColor(orbel::ColorScheme scheme);

// One flap of the readout board: a dark rounded tile 40 pixels high, cut
// across the middle by a hairline, carrying its text at its natural size with
// 8 pixels on either side (taller only when the largest text sizes need it).
// When the text changes it can play the flip: the text (never the tile) tips
// back about the horizontal axis to -35 degrees and returns, 90 ms each way,
// seen in perspective. Only the flap itself is drawn again, frame by frame:
// it paints the card's colour behind its rounded corners, so nothing under it
// is drawn with it, and the turning text is an image of it drawn once per
// flip.
class SplitFlap : public QWidget {
    Q_OBJECT

public:
    static constexpr int flapHeight = orbel::OrbelMetrics::flapHeight;
    static constexpr int padding = orbel::OrbelMetrics::flapPadding;
    static constexpr int cornerRadius = 4;
    static constexpr qreal flipAngle = -35.0;
    static constexpr int flipLegMs = 90;
    // A flip is drawn every 30 ms, so its frames land on the turn's start,
    // its deepest tilt and its end; a faster pace looks no different in so
    // short a turn and wakes the program twice as often.
    static constexpr int flipFrameMs = 30;

    SplitFlap(const QString &text, orbel::ColorScheme scheme, QWidget *parent = nullptr);
    ~SplitFlap() override;

    QString text() const { return m_text; }
    // Shows `text`. With `flip`, a text that differs from the one shown plays
    // the flip once; the same text never does.
    void setText(const QString &text, bool flip);
    void setInk(const QColor &ink);
    QColor ink() const { return m_ink; }
    void setScheme(orbel::ColorScheme scheme);

    // The text's current tilt in degrees (0 at rest).
    qreal angle() const { return m_angle; }
    // How many flips have started since the flap was made.
    int flipCount() const { return m_flipCount; }

    // Tile and hinge-line colours of a scheme.
    static QColor tileColor(orbel::ColorScheme scheme);
    static QColor hingeColor(orbel::ColorScheme scheme);
    // The perspective tilt of a text box of `size` centred on the origin: a
    // turn of `degrees` about the horizontal axis, seen from a distance equal
    // to the box's longer side. Negative angles bring the top edge forward.
    static QTransform flipTransform(qreal degrees, QSizeF size);
    // The size of a flap showing `text` in `font`.
    static QSize sizeFor(const QString &text, const QFont &font);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setAngle(qreal degrees);
    // The text's advance by the font's line height, measured once per text.
    QSizeF textSize() const;
    // The text as an image, `size` large at the screen's pixel ratio.
    const QImage &textImage(QSizeF size) const;
    // The tile with its hinge on the card's colour, at the flap's size.
    const QPixmap &tile() const;

    QString m_text;
    QColor m_ink = Qt::white;
    orbel::ColorScheme m_scheme;
    qreal m_angle = 0;
    int m_flipCount = 0;
    QTimeLine *m_flip = nullptr;
    mutable QSizeF m_textSize;
    mutable QString m_sizeText;
    mutable QFont m_sizeFont;
    mutable QImage m_textImage;
    mutable QString m_imageText;
    mutable QFont m_imageFont;
    mutable QColor m_imageInk;
    mutable QPixmap m_tile;
    mutable orbel::ColorScheme m_tileScheme = orbel::ColorScheme::Light;
};

// The separator between two count-down flaps: a colon centred in a box 12
// wide, or as wide as the colon where large text makes it wider, and as tall
// as a flap of the same font.
class FlapColon : public QWidget {
    Q_OBJECT

public:
    static constexpr int colonWidth = orbel::OrbelMetrics::colonWidth;

    explicit FlapColon(QWidget *parent = nullptr);

    void setInk(const QColor &ink);
    QColor ink() const { return m_ink; }

    // The size of a colon in `font`.
    static QSize sizeFor(const QFont &font);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_ink = Qt::white;
};

} // namespace pelorin
