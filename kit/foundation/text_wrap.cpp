#include "text_wrap.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace orbel::TextWrap {

namespace {

constexpr QChar zeroWidthSpace(0x200B);
// What ICU puts between a time and its day period ("11:00 PM").
constexpr QChar narrowNoBreakSpace(0x202F);

// Calls `visit` with each word of `text` (a stretch between two line-break
// opportunities, its trailing white space left off) and where it starts.
template<typename Visit>
void forEachWord(const QString &text, Visit visit)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = finder.toNextBoundary();
        if (end <= start)
            end = text.size();
        qsizetype wordEnd = end;
        while (wordEnd > start && text.at(wordEnd - 1).isSpace())
            --wordEnd;
        if (wordEnd > start)
            visit(start, wordEnd - start);
        start = end;
    }
}

} // namespace

qreal widestWord(const QString &text, const QFont &font)
{
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    forEachWord(text, [&](qsizetype start, qsizetype length) {
        widest = std::max(widest, metrics.horizontalAdvance(text.mid(start, length)));
    });
    return widest;
}

bool hasWordWiderThan(const QString &text, const QFont &font, qreal width)
{
    return widestWord(text, font) > width;
}

QString breakable(const QString &text, const QFont &font, qreal width)
{
    const QFontMetricsF metrics(font);
    QString result;
    result.reserve(text.size());
    qsizetype copied = 0;
    forEachWord(text, [&](qsizetype start, qsizetype length) {
        const QString word = text.mid(start, length);
        if (metrics.horizontalAdvance(word) <= width)
            return;
        result += QStringView(text).mid(copied, start - copied);
        // First at the spaces that hold the word together ("7:44 PM" with a
        // no-break space), then, in a part still too wide, between the
        // characters as the reader sees them, never inside one.
        qsizetype partStart = 0;
        while (partStart < word.size()) {
            qsizetype partEnd = partStart;
            while (partEnd < word.size() && !word.at(partEnd).isSpace())
                ++partEnd;
            const QString part = word.mid(partStart, partEnd - partStart);
            if (metrics.horizontalAdvance(part) <= width) {
                result += part;
            } else {
                QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, part);
                qsizetype from = 0;
                for (qsizetype to = graphemes.toNextBoundary(); to > 0; to = graphemes.toNextBoundary()) {
                    if (from > 0)
                        result += zeroWidthSpace;
                    result += QStringView(part).mid(from, to - from);
                    from = to;
                }
            }
            while (partEnd < word.size() && word.at(partEnd).isSpace())
                result += word.at(partEnd++);
            if (partEnd < word.size())
                result += zeroWidthSpace;
            partStart = partEnd;
        }
        copied = start + length;
    });
    result += QStringView(text).mid(copied);
    return result;
}

qreal layOut(QTextLayout &layout, qreal width, Qt::Alignment alignment, int maxLines)
{
    QTextOption option = layout.textOption();
    option.setWrapMode(QTextOption::WordWrap);
    option.setAlignment(alignment);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    int count = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
        if (maxLines > 0 && ++count == maxLines)
            break;
    }
    layout.endLayout();
    return y;
}

qreal height(const QString &text, const QFont &font, qreal width)
{
    if (text.isEmpty())
        return 0;
    QTextLayout layout(breakable(text, font, width), font);
    return layOut(layout, width);
}

QStringList lines(const QString &text, const QFont &font, qreal width)
{
    const QString laidOut = breakable(text, font, width);
    QTextLayout layout(laidOut, font);
    layOut(layout, width);
    QStringList result;
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine line = layout.lineAt(i);
        result << laidOut.mid(line.textStart(), line.textLength()).remove(zeroWidthSpace).trimmed();
    }
    return result;
}

QFont fitted(const QString &text, const QFont &font, qreal width, qreal minimumScale)
{
    // A time may break before its day period rather than be drawn smaller.
    const auto fits = [&](const QFont &candidate) {
        const QFontMetricsF metrics(candidate);
        bool fits = true;
        forEachWord(text, [&](qsizetype start, qsizetype length) {
            for (const QStringView part : QStringView(text).mid(start, length).tokenize(narrowNoBreakSpace))
                fits = fits && metrics.horizontalAdvance(part.toString()) <= width;
        });
        return fits;
    };
    const int size = font.pixelSize();
    if (size <= 0 || text.isEmpty() || width <= 0 || fits(font))
        return font;
    const int smallest = std::max(1, int(std::ceil(size * std::clamp(minimumScale, 0.0, 1.0))));
    QFont candidate = font;
    for (int pixels = size - 1; pixels >= smallest; --pixels) {
        candidate.setPixelSize(pixels);
        if (fits(candidate))
            return candidate;
    }
    return candidate;
}

QFont smaller(const QFont &font, const QFont &other)
{
    if (font.pixelSize() <= 0 || other.pixelSize() <= 0 || other.pixelSize() >= font.pixelSize())
        return font;
    QFont result = font;
    result.setPixelSize(other.pixelSize());
    return result;
}

} // namespace orbel::TextWrap
