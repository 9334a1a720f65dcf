#include "text_label.h"

#include "symbol_view.h"

#include <QEvent>

#include <QPainter>
#include <QTextLayout>

namespace orbel {

TextLabel::TextLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeading | Qt::AlignTop);
    // Word wrap turns on the height-for-width policy, so it comes after the policy.
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setWordWrap(true);
}

void TextLabel::setColor(const QColor &color)
{
    QPalette palette = this->palette();
    // The text keeps its colour when the window is inactive.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::WindowText, color);
    setPalette(palette);
}

QColor TextLabel::color() const
{
    return palette().color(QPalette::WindowText);
}

void TextLabel::setMaxLines(int lines)
{
    m_maxLines = qMax(0, lines);
    updateGeometry();
    update();
}

void TextLabel::setBesideSymbol(bool beside)
{
    m_besideSymbol = beside;
    updateSymbolBand();
}

void TextLabel::updateSymbolBand()
{
    if (!m_besideSymbol)
        return;
    const int excess = SymbolView::sideForFont(font()) - fontMetrics().height();
    const int top = qMax(0, excess / 2);
    const int bottom = qMax(0, excess - top);
    if (contentsMargins() != QMargins(0, top, 0, bottom))
        setContentsMargins(0, top, 0, bottom);
}

void TextLabel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange)
        updateSymbolBand();
    QLabel::changeEvent(event);
}

int TextLabel::clampedHeight(int height) const
{
    if (m_maxLines == 0)
        return height;
    const int margins = contentsMargins().top() + contentsMargins().bottom() + 2 * margin();
    const int limit = m_maxLines * fontMetrics().lineSpacing() + margins;
    return qMin(height, limit);
}

int TextLabel::heightForWidth(int width) const
{
    return clampedHeight(QLabel::heightForWidth(width));
}

QSize TextLabel::sizeHint() const
{
    const QSize hint = QLabel::sizeHint();
    return {hint.width(), clampedHeight(hint.height())};
}

QSize TextLabel::minimumSizeHint() const
{
    // One line: the real height comes from heightForWidth() once the width is
    // known, and a taller minimum would only make windows taller than needed.
    const QMargins margins = contentsMargins();
    const int oneLine = fontMetrics().height() + margins.top() + margins.bottom() + 2 * margin();
    return {QLabel::minimumSizeHint().width(), oneLine};
}

void TextLabel::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    if (m_maxLines == 0 || QLabel::heightForWidth(width()) <= height()) {
        QLabel::paintEvent(event);
        return;
    }

    // Too long for its lines: lay the text out ourselves and end the last
    // visible line with an ellipsis.
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QTextLine> lines;
    const qreal lineSpacing = fontMetrics().lineSpacing();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        line.setPosition(QPointF(0, lines.size() * lineSpacing));
        lines.append(line);
        if (lines.size() == m_maxLines)
            break;
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        lines[i].draw(&painter, area.topLeft());
    if (lines.isEmpty())
        return;
    const QTextLine &last = lines.last();
    const QString rest = text().mid(last.textStart());
    const QString elided = fontMetrics().elidedText(rest.simplified(), Qt::ElideRight, area.width());
    const QRect lastLine(area.left(), area.top() + int(last.y()), area.width(), int(lineSpacing));
    painter.drawText(lastLine, int(Qt::AlignLeading | Qt::AlignTop) | Qt::TextSingleLine, elided);
}

} // namespace orbel
