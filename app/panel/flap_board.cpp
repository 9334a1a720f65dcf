#include "flap_board.h"

#include "accessibility_hidden.h"
#include "flap_flow.h"
#include "split_flap.h"

namespace pelorin {

FlapBoard::FlapBoard(orbel::ColorScheme scheme, QWidget *parent)
    : QWidget(parent), m_flow(new FlapFlow(this)), m_scheme(scheme)
{
    orbel::setAccessibilityHidden(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

FlapBoard::~FlapBoard() = default;

QWidget *FlapBoard::makePiece(const ReadoutBoard::Piece &piece)
{
    QWidget *widget = nullptr;
    if (piece.kind == ReadoutBoard::Piece::Kind::colon) {
        auto *colon = new FlapColon(this);
        // A count-down stays on one row, squeezed if need be.
        FlapFlow::setJoinsNeighbours(colon);
        colon->setInk(m_colonInk);
        widget = colon;
    } else {
        auto *flap = new SplitFlap(piece.text, m_scheme, this);
        flap->setInk(m_flapInk);
        widget = flap;
    }
    orbel::setAccessibilityHidden(widget);
    return widget;
}

void FlapBoard::removeFrom(int index)
{
    while (m_widgets.size() > index) {
        QWidget *widget = m_widgets.takeLast();
        m_pieces.removeLast();
        m_flow->removeWidget(widget);
        delete widget;
    }
}

void FlapBoard::setPieces(const QList<ReadoutBoard::Piece> &pieces, bool flips)
{
    // Keep the widgets of the leading positions whose kind is unchanged; from
    // the first position where the kind differs, build afresh.
    int kept = 0;
    while (kept < m_pieces.size() && kept < pieces.size() && m_pieces[kept].kind == pieces[kept].kind)
        ++kept;
    removeFrom(kept);

    bool resized = false;
    for (int i = 0; i < kept; ++i) {
        if (m_pieces[i] == pieces[i])
            continue;
        auto *flap = static_cast<SplitFlap *>(m_widgets[i]);
        resized = resized || flap->text().size() != pieces[i].text.size();
        flap->setText(pieces[i].text, flips);
        m_pieces[i] = pieces[i];
    }
    for (qsizetype i = kept; i < pieces.size(); ++i) {
        QWidget *widget = makePiece(pieces[i]);
        m_flow->addWidget(widget);
        m_widgets.append(widget);
        m_pieces.append(pieces[i]);
        widget->show();
        resized = true;
    }
    if (resized)
        m_flow->invalidate();
}

void FlapBoard::clear()
{
    removeFrom(0);
    m_flow->invalidate();
}

void FlapBoard::setScheme(orbel::ColorScheme scheme)
{
    m_scheme = scheme;
    for (QWidget *widget : std::as_const(m_widgets)) {
        if (auto *flap = qobject_cast<SplitFlap *>(widget))
            flap->setScheme(scheme);
    }
}

void FlapBoard::setColors(const QColor &flapInk, const QColor &colonInk)
{
    m_flapInk = flapInk;
    m_colonInk = colonInk;
    for (QWidget *widget : std::as_const(m_widgets)) {
        if (auto *flap = qobject_cast<SplitFlap *>(widget))
            flap->setInk(flapInk);
        else if (auto *colon = qobject_cast<FlapColon *>(widget))
            colon->setInk(colonInk);
    }
}

QWidget *FlapBoard::pieceWidget(int index) const
{
    return index >= 0 && index < m_widgets.size() ? m_widgets[index] : nullptr;
}

SplitFlap *FlapBoard::flapAt(int index) const
{
    return qobject_cast<SplitFlap *>(pieceWidget(index));
}

} // namespace pelorin
