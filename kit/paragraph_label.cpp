#include "paragraph_label.h"

#include <QPainter>
#include <QRegularExpression>
#include <QTextLayout>

#include <cmath>

namespace orbel {

namespace {

// Lays `text` out in lines of `width`, breaking inside a word only where a
// word does not fit a line; returns the height the lines take.
qreal layOutLines(QTextLayout &layout, int width)
{
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return y;
}

} // namespace

ParagraphLabel::ParagraphLabel(const QString &text, QWidget *parent) : TextLabel(text, parent)
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

int ParagraphLabel::textWidth(int width) const
{
    const QMargins margins = contentsMargins();
    return width - margins.left() - margins.right() - 2 * margin();
}

bool ParagraphLabel::breaksInsideWords(int width) const
{
    if (!wordWrap() || width <= 0)
        return false;
    static const QRegularExpression space(QStringLiteral("\\s+"));
    const QStringList words = text().split(space, Qt::SkipEmptyParts);
    const QFontMetrics metrics = fontMetrics();
    for (const QString &word : words) {
        if (metrics.horizontalAdvance(word) > width)
            return true;
    }
    return false;
}

int ParagraphLabel::heightForWidth(int width) const
{
    const int available = textWidth(width);
    if (maxLines() > 0 || !breaksInsideWords(available))
        return TextLabel::heightForWidth(width);
    QTextLayout layout(text(), font());
    const qreal lines = layOutLines(layout, available);
    const QMargins margins = contentsMargins();
    return int(std::ceil(lines)) + margins.top() + margins.bottom() + 2 * margin();
}

QSize ParagraphLabel::minimumSizeHint() const
{
    // Any width will do, since even a long word breaks to fit it.
    const QSize oneLine = TextLabel::minimumSizeHint();
    return {wordWrap() ? qMin(oneLine.width(), fontMetrics().averageCharWidth() * 4) : oneLine.width(),
            oneLine.height()};
}

void ParagraphLabel::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (maxLines() > 0 || !breaksInsideWords(area.width())) {
        TextLabel::paintEvent(event);
        return;
    }
    QTextLayout layout(text(), font());
    layOutLines(layout, area.width());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, area.topLeft());
}

} // namespace orbel
