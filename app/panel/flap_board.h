#pragma once

#include "orbel_environment.h"
#include "readout_board.h"

#include <QColor>
#include <QList>
#include <QWidget>

namespace pelorin {

class FlapFlow;
class SplitFlap;

// The board row: one widget per piece in a FlapFlow. The piece at each
// position keeps its widget as long as its kind stays the same, so a flap whose
// text changes is the same flap showing new text, and only that flap flips.
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

private:
    QWidget *makePiece(const ReadoutBoard::Piece &piece);
    void removeFrom(int index);

    FlapFlow *m_flow;
    QList<ReadoutBoard::Piece> m_pieces;
    QList<QWidget *> m_widgets;
    orbel::ColorScheme m_scheme;
    QColor m_flapInk = Qt::white;
    QColor m_colonInk = Qt::white;
};

} // namespace pelorin
