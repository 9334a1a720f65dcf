#pragma once

#include "flap_flow.h"
#include "orbel_environment.h"
#include "readout_board.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QWidget>

namespace pelorin {

class SplitFlap;

// The board row: one widget per piece, flowing as FlapFlow places them. The
// piece at each position keeps its widget as long as its kind stays the same,
// so a flap whose text changes is the same flap showing new text, and only
// that flap flips and is drawn again.
//
// Every piece is set in one font, the board's own (the readout role), made
// smaller only where a group of pieces that stays together (a state's word,
// or a count-down's "01:" and "05:09") would not fit the width on a row of its
// own: digits stay equal, colons whole and flaps padded at every size, and
// nothing is cut however many hours a count-down has. A count-down that does
// not fit one row breaks after its hours.
class FlapBoard : public QWidget {
    Q_OBJECT

public:
    explicit FlapBoard(orbel::ColorScheme scheme, QWidget *parent = nullptr);
    ~FlapBoard() override;

    // Shows `pieces`; with `flips`, each flap whose text changed plays its flip.
    void setPieces(const QList<ReadoutBoard::Piece> &pieces, bool flips);
    // Drops every piece, so the next ones start afresh without a flip.
    void clear();
    const QList<ReadoutBoard::Piece> &pieces() const { return m_pieces; }

    void setScheme(orbel::ColorScheme scheme);
    // Colour of the flaps' text, and of the colons.
    void setColors(const QColor &flapInk, const QColor &colonInk);

    int pieceCount() const { return int(m_widgets.size()); }
    QWidget *pieceWidget(int index) const;
    // The flap at `index`, or null for a colon.
    SplitFlap *flapAt(int index) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // How the pieces stand at one width, kept until the width, the font or
    // the pieces' shapes change.
    struct Fit {
        int width = -1;
        QString shape;
        QFont font;
        QFont fitted;
        QList<QSize> sizes;
        FlapFlow::Arrangement arrangement;
    };
    const Fit &fit(int width) const;
    QList<QSize> sizesIn(const QFont &font) const;
    QList<bool> joined() const;
    // What decides the pieces' sizes: their kinds and texts, digits counted
    // alike since they all have one width.
    QString shape() const;
    QWidget *makePiece(const ReadoutBoard::Piece &piece);
    void removeFrom(int index);
    // Sets the pieces in the font for the current width and places them.
    void place();

    QList<ReadoutBoard::Piece> m_pieces;
    QList<QWidget *> m_widgets;
    orbel::ColorScheme m_scheme;
    QColor m_flapInk = Qt::white;
    QColor m_colonInk = Qt::white;
    mutable QList<Fit> m_fits;
};

} // namespace pelorin
