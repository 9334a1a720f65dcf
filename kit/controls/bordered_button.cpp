#include "bordered_button.h"

#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "symbol_table.h"
#include "symbol_view.h"
#include "text_wrap.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace orbel {

namespace {

constexpr int symbolGap = 6;
// How small a word too long for a line of its own may be drawn.
constexpr qreal minimumTitleScale = 0.5;

} // namespace

BorderedButton::BorderedButton(const QString &title, const OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment)
{
    m_hover = new HoverTracker(this);
    setText(title);
    setFocusPolicy(Qt::TabFocus);
    environmentChanged();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setAttribute(Qt::WA_Hover);
}

void BorderedButton::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    updateGeometry();
    update();
}

void BorderedButton::setTextRole(OrbelFont role)
{
    m_role = role;
    environmentChanged();
}

void BorderedButton::setWraps(bool wraps)
{
    m_wraps = wraps;
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(wraps);
    setSizePolicy(policy);
    updateGeometry();
    update();
}

int BorderedButton::titleRoom(int width) const
{
    const int side = m_symbol.isEmpty() ? 0 : symbolSide();
    const int gap = (side > 0 && !text().isEmpty()) ? symbolGap : 0;
    return std::max(1, width - 2 * horizontalPadding() - side - gap);
}

int BorderedButton::verticalPadding() const
{
    return m_size == ControlSize::Small ? 3 : 5;
}

QFont BorderedButton::titleFont(int width) const
{
    if (!m_wraps)
        return font();
    const int room = titleRoom(width);
    if (m_fit.room != room || m_fit.text != text() || m_fit.font != font())
        m_fit = {text(), font(), room, TextWrap::fitted(text(), font(), room, minimumTitleScale)};
    return m_fit.fitted;
}

int BorderedButton::heightForWidth(int width) const
{
    if (!m_wraps)
        return controlHeight();
    const qreal lines = TextWrap::height(text(), titleFont(width), titleRoom(width));
    return std::max(controlHeight(), int(std::ceil(lines)) + 2 * verticalPadding());
}

void BorderedButton::environmentChanged()
{
    const TextSize size = environment().textSize;
    setFont(m_role ? orbelFont(*m_role, size) : textStyleFont(TextStyle::Body, size));
    update();
}

void BorderedButton::setControlSize(ControlSize size)
{
    m_size = size;
    updateGeometry();
    update();
}

void BorderedButton::setBorderShape(BorderShape shape)
{
    m_shape = shape;
    update();
}

int BorderedButton::controlHeight() const
{
    const int base = m_size == ControlSize::Small ? 22 : m_size == ControlSize::Regular ? 26 : 32;
    // Large text never gets squeezed into the bezel.
    return qMax(base, fontMetrics().height() + 2 * verticalPadding());
}

int BorderedButton::horizontalPadding() const
{
    return m_size == ControlSize::Small ? 10 : m_size == ControlSize::Regular ? 12 : 16;
}

int BorderedButton::symbolSide() const
{
    return SymbolView::sideForFont(font());
}

QSize BorderedButton::sizeHint() const
{
    int width = fontMetrics().horizontalAdvance(text()) + 2 * horizontalPadding();
    if (!m_symbol.isEmpty())
        width += symbolSide() + (text().isEmpty() ? 0 : symbolGap);
    return {width, controlHeight()};
}

QSize BorderedButton::minimumSizeHint() const
{
    if (!m_wraps)
        return sizeHint();
    // A few characters across: the title wraps, and a long word shrinks.
    const int side = m_symbol.isEmpty() ? 0 : symbolSide() + symbolGap;
    return {2 * horizontalPadding() + side + 4 * fontMetrics().averageCharWidth(), controlHeight()};
}

void BorderedButton::paintWrapped(QPainter &painter, const QFont &font, const QColor &ink, int side, int gap) const
{
    const int room = titleRoom(width());
    QTextLayout layout(TextWrap::breakable(text(), font, room), font);
    QTextOption option;
    option.setTextDirection(layoutDirection());
    layout.setTextOption(option);
    const qreal linesHeight = TextWrap::layOut(layout, room, Qt::AlignHCenter);
    qreal widest = 0;
    for (int i = 0; i < layout.lineCount(); ++i)
        widest = std::max(widest, layout.lineAt(i).naturalTextWidth());
    qreal x = std::round((width() - (side + gap + widest)) / 2.0);
    if (side > 0) {
        SymbolTable::paint(painter, QRectF(x, (height() - side) / 2.0, side, side), m_symbol, ink);
        x += side + gap;
    }
    painter.setPen(ink);
    // Each line is centred in the room; the block of lines starts at x.
    layout.draw(&painter, QPointF(x - (room - widest) / 2.0, (height() - linesHeight) / 2.0));
}

void BorderedButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = environment().scheme;
    if (!isEnabled())
        painter.setOpacity(0.4);

    QRectF bezel = QRectF(rect());
    // A capsule keeps the round ends of one line when its title wraps.
    const qreal radius = m_shape == BorderShape::Capsule ? std::min<qreal>(bezel.height(), controlHeight()) / 2
                                                         : (m_size == ControlSize::Small ? 6 : 8);
    const QColor fill = BrandPalette::bezelFill(scheme, isDown(), m_hover->isHovered() && isEnabled());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bezel, radius, radius);

    // Symbol and title as one group, centred in the bezel; only a title too
    // long for the bezel is shortened.
    const QColor ink = BrandPalette::primary(scheme);
    const int side = m_symbol.isEmpty() ? 0 : symbolSide();
    const int gap = (side > 0 && !text().isEmpty()) ? symbolGap : 0;
    const qreal room = bezel.width() - 2 * horizontalPadding() - side - gap;
    const QFont wrapped = titleFont(width());
    if (m_wraps && (wrapped != font() || QFontMetricsF(font()).horizontalAdvance(text()) > room)) {
        paintWrapped(painter, wrapped, ink, side, gap);
        return;
    }
    const QString title = fontMetrics().horizontalAdvance(text()) <= room
                              ? text()
                              : fontMetrics().elidedText(text(), Qt::ElideRight, int(room));
    const int textWidth = fontMetrics().horizontalAdvance(title);
    qreal x = std::round(bezel.center().x() - (side + gap + textWidth) / 2.0);
    if (side > 0) {
        SymbolTable::paint(painter, QRectF(x, bezel.center().y() - side / 2.0, side, side), m_symbol, ink);
        x += side + gap;
    }
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(x, bezel.top(), textWidth + 1, bezel.height()),
                     Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, title);
}

} // namespace orbel
