#include "flap_board.h"

#include "accessibility_hidden.h"
#include "split_flap.h"

#include <QEvent>

#include <algorithm>

namespace pelorin {

namespace {

// Enough for the widths a card is measured at and the one it is shown at.
constexpr qsizetype keptFits = 4;

} // namespace

FlapBoard::FlapBoard(orbel::ColorScheme scheme, QWidget *parent) : QWidget(parent), m_scheme(scheme)
{
    orbel::setAccessibilityHidden(this);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

FlapBoard::~FlapBoard() = default;

QWidget *FlapBoard::makePiece(const ReadoutBoard::Piece &piece)
{
    QWidget *widget = nullptr;
    if (piece.kind == ReadoutBoard::Piece::Kind::colon) {
        auto *colon = new FlapColon(this);
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
        delete m_widgets.takeLast();
        m_pieces.removeLast();
    }
}

QString FlapBoard::shape() const
{
    QString result;
    for (const ReadoutBoard::Piece &piece : m_pieces) {
        if (piece.kind == ReadoutBoard::Piece::Kind::colon) {
            result += u':';
        } else {
            for (const QChar c : piece.text)
                result += c.isDigit() ? QChar(u'0') : c;
        }
        result += u'\n';
    }
    return result;
}

QList<bool> FlapBoard::joined() const
{
    // A colon stays after the flap before it, and the last flap of a
    // count-down with its colon: hours, then minutes with seconds.
    const auto isColon = [this](qsizetype i) { return m_pieces[i].kind == ReadoutBoard::Piece::Kind::colon; };
    const qsizetype colons = std::count_if(m_pieces.begin(), m_pieces.end(), [](const ReadoutBoard::Piece &piece) {
        return piece.kind == ReadoutBoard::Piece::Kind::colon;
    });
    QList<bool> result(m_pieces.size(), false);
    for (qsizetype i = 1; i < m_pieces.size(); ++i)
        result[i] = isColon(i) || (colons > 1 && i + 1 == m_pieces.size() && isColon(i - 1));
    return result;
}

QList<QSize> FlapBoard::sizesIn(const QFont &font) const
{
    QList<QSize> sizes;
    sizes.reserve(m_pieces.size());
    for (const ReadoutBoard::Piece &piece : m_pieces)
        sizes.append(piece.kind == ReadoutBoard::Piece::Kind::colon ? FlapColon::sizeFor(font)
                                                                    : SplitFlap::sizeFor(piece.text, font));
    return sizes;
}

const FlapBoard::Fit &FlapBoard::fit(int width) const
{
    const QString currentShape = shape();
    const QFont role = font();
    for (qsizetype i = 0; i < m_fits.size(); ++i) {
        const Fit &kept = m_fits[i];
        if (kept.width == width && kept.shape == currentShape && kept.font == role) {
            if (i > 0)
                m_fits.move(i, 0);
            return m_fits.front();
        }
    }

    const QList<bool> joins = joined();
    QFont candidate = role;
    QList<QSize> sizes = sizesIn(candidate);
    // One size for every piece: the largest at which each group fits a row.
    for (int size = role.pixelSize() - 1; size >= 1; --size) {
        const QList<int> groups = FlapFlow::groupWidths(sizes, joins);
        if (std::all_of(groups.begin(), groups.end(), [width](int group) { return group <= width; }))
            break;
        candidate.setPixelSize(size);
        sizes = sizesIn(candidate);
    }
    m_fits.prepend(Fit{width, currentShape, role, candidate, sizes, FlapFlow::arrange(width, sizes, joins)});
    if (m_fits.size() > keptFits)
        m_fits.removeLast();
    return m_fits.front();
}

void FlapBoard::place()
{
    const Fit &current = fit(width());
    for (qsizetype i = 0; i < m_widgets.size(); ++i) {
        QWidget *widget = m_widgets[i];
        if (widget->font() != current.fitted)
            widget->setFont(current.fitted);
        widget->setGeometry(QRect(current.arrangement.positions[i], current.sizes[i]));
    }
}

void FlapBoard::setPieces(const QList<ReadoutBoard::Piece> &pieces, bool flips)
{
    const QString before = shape();
    // Keep the widgets of the leading positions whose kind is unchanged; from
    // the first position where the kind differs, build afresh.
    int kept = 0;
    while (kept < m_pieces.size() && kept < pieces.size() && m_pieces[kept].kind == pieces[kept].kind)
        ++kept;
    removeFrom(kept);

    for (int i = 0; i < kept; ++i) {
        if (m_pieces[i] == pieces[i])
            continue;
        static_cast<SplitFlap *>(m_widgets[i])->setText(pieces[i].text, flips);
        m_pieces[i] = pieces[i];
    }
    for (qsizetype i = kept; i < pieces.size(); ++i) {
        QWidget *widget = makePiece(pieces[i]);
        m_widgets.append(widget);
        m_pieces.append(pieces[i]);
        widget->show();
    }
    // A tick of a count-down changes digits only: the flaps that changed
    // draw themselves again, and nothing moves.
    if (shape() != before || kept < pieces.size()) {
        updateGeometry();
        place();
    }
}

void FlapBoard::clear()
{
    removeFrom(0);
    updateGeometry();
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

int FlapBoard::heightForWidth(int width) const
{
    return fit(width).arrangement.size.height();
}

QSize FlapBoard::sizeHint() const
{
    return {FlapFlow::openWidth, heightForWidth(FlapFlow::openWidth)};
}

QSize FlapBoard::minimumSizeHint() const
{
    // Narrower boards wrap or set their pieces smaller.
    return {0, 0};
}

void FlapBoard::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    place();
}

void FlapBoard::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        // The text size changed: every fit is out of date.
        m_fits.clear();
        updateGeometry();
        place();
    }
    QWidget::changeEvent(event);
}

} // namespace pelorin
