#pragma once

#include <QFont>
#include <QString>
#include <QStringList>
#include <QTextOption>

class QTextLayout;

namespace orbel::TextWrap {

// How the kit wraps text: between words, as a label does, and inside a word
// only when that word alone is wider than a whole line. A word that fits a
// line is never split, and no word ever runs out of its line.
//
// Qt offers neither half on its own: QTextOption::WordWrap lets a long word
// overflow (and be cut off), while WrapAtWordBoundaryOrAnywhere also splits
// words that would have fitted on a line of their own ("No lim" over "it").

// The advance of the widest word of `text`.
qreal widestWord(const QString &text, const QFont &font);

// Whether some word of `text` is wider than `width`, so it has to break inside.
bool hasWordWiderThan(const QString &text, const QFont &font, qreal width);

// `text` with a break opportunity (a zero-width space) between the
// characters of every word wider than `width`; the other words are left as
// they are. Lay the result out with QTextOption::WordWrap.
QString breakable(const QString &text, const QFont &font, qreal width);

// Lays a layout made from breakable() out in lines `width` wide, at most
// `maxLines` of them (0: all), each as tall as a line of a label. Returns the
// height the lines take. `alignment` places each line within the width.
qreal layOut(QTextLayout &layout, qreal width, Qt::Alignment alignment = Qt::AlignLeading, int maxLines = 0);

// The height `text` takes in `font` when wrapped at `width`.
qreal height(const QString &text, const QFont &font, qreal width);

// The lines `text` falls into at `width`, as the reader sees them.
QStringList lines(const QString &text, const QFont &font, qreal width);

// `font` made smaller where `text` needs it, but to no less than
// `minimumScale` of its size: small enough that every word (a time such as
// "21:52" counts as one) fits a line `width` wide. A text that only needs
// more lines keeps its size: it wraps, and a time such as "9:25 PM" breaks
// before its day period first (at the narrow no-break space ICU puts there).
// What still does not fit at the smallest size breaks inside the word (see
// breakable()). Fonts sized in points are returned as they are.
QFont fitted(const QString &text, const QFont &font, qreal width, qreal minimumScale);

// The smaller of two fonts of one family, by pixel size: a group of texts
// drawn alike takes the size its most demanding text needs.
QFont smaller(const QFont &font, const QFont &other);

} // namespace orbel::TextWrap
