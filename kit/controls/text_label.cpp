#include "text_label.h"

#include "accessibility_element.h"
#include "accessibility_heading.h"
#include "accessibility_hidden.h"
#include "symbol_view.h"
#include "text_wrap.h"

#include <QAccessibleWidget>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace orbel {

namespace {

// A label as screen readers meet it: its text, spoken (see spokenText()).
// Labels marked hidden, as headings or as elements are read as marked.
class TextLabelAccessible : public QAccessibleWidget {
public:
    explicit TextLabelAccessible(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
            return spokenText(static_cast<const QLabel *>(widget())->text());
        return spokenText(QAccessibleWidget::text(kind));
    }
};

QAccessibleInterface *textLabelFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<TextLabel *>(object);
    if (!label || isAccessibilityHidden(label) || isAccessibilityHeading(label) || isAccessibilityElement(label))
        return nullptr;
    return new TextLabelAccessible(label);
}

} // namespace

TextLabel::TextLabel(const QString &text, QWidget *parent) : QLabel(text, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(textLabelFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
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

QFont TextLabel::fittedFont(int width) const
{
    return wordWrap() ? fit(width).fitted : font();
}

const TextLabel::Fit &TextLabel::fit(int width) const
{
    const int room = textWidth(width);
    if (m_fit.room != room || m_fit.text != text() || m_fit.font != font()) {
        const QFont fitted = TextWrap::fitted(text(), font(), room, minimumScaleFactor);
        m_fit = {text(), font(), room, fitted, TextWrap::hasWordWiderThan(text(), fitted, room)};
    }
    return m_fit;
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

QSizePolicy TextLabel::growingPolicy()
{
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    return policy;
}

int TextLabel::clampedHeight(int height, const QFont &font) const
{
    if (m_maxLines == 0)
        return height;
    const int margins = contentsMargins().top() + contentsMargins().bottom() + 2 * margin();
    const int limit = m_maxLines * QFontMetrics(font).lineSpacing() + margins;
    return qMin(height, limit);
}

int TextLabel::textWidth(int width) const
{
    const QMargins margins = contentsMargins();
    return std::max(0, width - margins.left() - margins.right() - 2 * margin());
}

int TextLabel::heightForWidth(int width) const
{
    const int room = textWidth(width);
    if (!wordWrap())
        return clampedHeight(QLabel::heightForWidth(width), font());
    const Fit &fitting = fit(width);
    const QFont fitted = fitting.fitted;
    if (fitted == font() && !fitting.breaksWord)
        return clampedHeight(QLabel::heightForWidth(width), fitted);
    // A word wider than the whole line breaks inside, and a smaller font
    // takes fewer lines, so the height is worked out here rather than by
    // QLabel, which knows neither.
    const QMargins margins = contentsMargins();
    const int lines = int(std::ceil(TextWrap::height(text(), fitted, room)));
    return clampedHeight(lines + margins.top() + margins.bottom() + 2 * margin(), fitted);
}

void TextLabel::setPrefersWholeLine(bool prefers)
{
    m_prefersWholeLine = prefers;
    updateGeometry();
}

QSize TextLabel::sizeHint() const
{
    if (m_prefersWholeLine) {
        const QMargins margins = contentsMargins();
        // Rounded up, so the line is never a fraction too narrow for itself.
        const int line = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + margins.left() +
                         margins.right() + 2 * margin();
        return {line, heightForWidth(line)};
    }
    const QSize hint = QLabel::sizeHint();
    return {hint.width(), clampedHeight(hint.height(), font())};
}

QSize TextLabel::minimumSizeHint() const
{
    // One line: the real height comes from heightForWidth() once the width is
    // known, and a taller minimum would only make windows taller than needed.
    // A wrapping label takes any width, since even a long word breaks to fit.
    const QMargins margins = contentsMargins();
    const int oneLine = fontMetrics().height() + margins.top() + margins.bottom() + 2 * margin();
    const int width = QLabel::minimumSizeHint().width();
    return {wordWrap() ? std::min(width, fontMetrics().averageCharWidth() * 4) : width, oneLine};
}

void TextLabel::paintEvent(QPaintEvent *event)
{
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QFont fitted = fittedFont(width());
    const bool ownLayout = wordWrap() && (fitted != font() || fit(width()).breaksWord);
    if (!ownLayout && (m_maxLines == 0 || QLabel::heightForWidth(width()) <= height())) {
        QLabel::paintEvent(event);
        return;
    }

    // A word too long for a line, or a text too long for its lines: lay the
    // text out here, breaking inside words only where they cannot fit, and
    // end the last visible line with an ellipsis when text is left over.
    const QString laidOut = TextWrap::breakable(text(), fitted, area.width());
    QTextLayout layout(laidOut, fitted);
    QTextOption option;
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    const Qt::Alignment aligned = QStyle::visualAlignment(layoutDirection(), alignment());
    const Qt::Alignment horizontal = aligned & Qt::AlignHorizontal_Mask;
    const qreal linesHeight = TextWrap::layOut(layout, area.width(), horizontal, m_maxLines);
    if (layout.lineCount() == 0)
        return;

    qreal top = area.top();
    if (aligned & Qt::AlignBottom)
        top = area.bottom() + 1 - linesHeight;
    else if (aligned & Qt::AlignVCenter)
        top = area.top() + (area.height() - linesHeight) / 2;

    QPainter painter(this);
    painter.setFont(fitted);
    painter.setPen(palette().color(foregroundRole()));
    const QTextLine last = layout.lineAt(layout.lineCount() - 1);
    const bool leftOver = last.textStart() + last.textLength() < laidOut.size();
    if (!leftOver) {
        layout.draw(&painter, QPointF(area.left(), top));
        return;
    }
    for (int i = 0; i + 1 < layout.lineCount(); ++i)
        layout.lineAt(i).draw(&painter, QPointF(area.left(), top));
    QString rest = laidOut.mid(last.textStart());
    rest.remove(QChar(0x200B));
    const QString elided = QFontMetrics(fitted).elidedText(rest.simplified(), Qt::ElideRight, area.width());
    const QRectF lastLine(area.left(), top + last.y(), area.width(), last.height());
    painter.drawText(lastLine, int(horizontal | Qt::AlignTop) | Qt::TextSingleLine, elided);
}

} // namespace orbel
