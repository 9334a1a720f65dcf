#include "panel_action_row.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QAbstractButton>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include <utility>

namespace orbel {

namespace {

constexpr int rowSpacing = 12;
constexpr int labelPadding = 8;
constexpr int labelSpacing = 12;
constexpr int textSpacing = 4;
constexpr int titleLines = 2;

// The surface's fill and, while it has keyboard focus, a ring in the accent
// just inside its edge, as the panel's other controls show focus.
void paintSurface(QWidget *surface, const QColor &fill, const QColor &focus = {})
{
    QPainter painter(surface);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = OrbelMetrics::actionRowCornerRadius;
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(surface->rect()), radius, radius);
    if (focus.isValid() && surface->hasFocus()) {
        painter.setPen(QPen(focus, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(surface->rect()).adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

// The surface of a row that only shows.
class ActionLabel final : public QWidget {
public:
    ActionLabel(PanelActionRow *row) : QWidget(row), m_row(row) {}

protected:
    void paintEvent(QPaintEvent *) override { paintSurface(this, m_row->fillColor()); }

private:
    PanelActionRow *m_row;
};

// The surface of a row with an action: the whole rounded rectangle answers
// the pointer, the keyboard and screen readers.
class ActionButton final : public QAbstractButton {
public:
    ActionButton(PanelActionRow *row, std::function<void(bool)> hover) : QAbstractButton(row), m_row(row)
    {
        new HoverTracker(this, std::move(hover));
        setFocusPolicy(Qt::TabFocus);
        // A button's roles would turn the texts inside it into button text.
        setBackgroundRole(QPalette::Window);
        setForegroundRole(QPalette::WindowText);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        paintSurface(this, m_row->fillColor(), m_row->setup().brand.accent(m_row->environment().scheme));
    }

private:
    PanelActionRow *m_row;
};

} // namespace

PanelActionRow::PanelActionRow(Setup setup, QWidget *trailing, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_setup(std::move(setup)), m_trailing(trailing)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(rowSpacing);

    if (m_setup.perform) {
        auto *button = new ActionButton(this, [this](bool over) { setPointerOver(over); });
        button->setEnabled(!m_setup.isDisabled);
        connect(button, &QAbstractButton::clicked, this, [this] {
            if (m_setup.perform)
                m_setup.perform();
        });
        m_action = button;
    } else {
        m_action = new ActionLabel(this);
    }
    m_action->setMinimumHeight(OrbelMetrics::actionRowMinHeight);
    m_action->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(m_action, 1);

    auto *label = new QHBoxLayout(m_action);
    label->setContentsMargins(labelPadding, labelPadding, labelPadding, labelPadding);
    label->setSpacing(labelSpacing);
    m_icon = new SymbolView(m_setup.symbol, QColor(), m_action);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    label->addWidget(m_icon, 0, Qt::AlignVCenter);

    m_text = new QWidget(m_action);
    m_text->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *text = new QHBoxLayout(m_text);
    text->setContentsMargins(0, 0, 0, 0);
    text->setSpacing(textSpacing);
    m_title = new TextLabel(m_setup.title, m_text);
    m_title->setMaxLines(titleLines);
    m_title->setSizePolicy(TextLabel::growingPolicy());
    text->addWidget(m_title, 0, Qt::AlignVCenter);
    if (m_setup.badge) {
        m_badge = new QLabel(*m_setup.badge, m_text);
        m_badge->setTextFormat(Qt::PlainText);
        m_badge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        text->addWidget(m_badge, 0, Qt::AlignVCenter);
    }
    text->addStretch(1);
    label->addWidget(m_text, 1);

    if (m_setup.perform) {
        setAccessibilityElement(m_action, QAccessible::Button);
        m_action->setAccessibleName(m_setup.badge ? m_setup.title + QStringLiteral(", ") + *m_setup.badge
                                                  : m_setup.title);
        setAccessibilityValue(m_action, m_setup.value.value_or(QString()));
        m_action->setAccessibleDescription(m_setup.hint.value_or(QString()));
    }

    if (m_trailing) {
        m_trailing->setParent(this);
        // The trailing part takes its ideal width first; the action gets the rest.
        m_trailing->setSizePolicy(QSizePolicy::Fixed, m_trailing->sizePolicy().verticalPolicy());
        row->addWidget(m_trailing, 0, Qt::AlignVCenter);
    }

    for (const PanelActionRowPart each : allPanelActionRowParts) {
        if (QWidget *widget = part(each))
            widget->installEventFilter(this);
    }
    environmentChanged();
}

QAbstractButton *PanelActionRow::actionButton() const
{
    return m_setup.perform ? static_cast<QAbstractButton *>(m_action) : nullptr;
}

QWidget *PanelActionRow::part(PanelActionRowPart part) const
{
    switch (part) {
    case PanelActionRowPart::Action:
        return m_action;
    case PanelActionRowPart::Icon:
        return m_icon;
    case PanelActionRowPart::Text:
        return m_text;
    case PanelActionRowPart::Shortcut:
        return m_trailing;
    }
    return nullptr;
}

void PanelActionRow::setHovered(std::optional<bool> hovered)
{
    m_setup.hovered = hovered;
    m_action->update();
}

void PanelActionRow::setSuggested(bool suggested)
{
    m_setup.isSuggested = suggested;
    m_action->update();
}

void PanelActionRow::setPointerOver(bool over)
{
    if (m_pointerOver == over)
        return;
    m_pointerOver = over;
    m_action->update();
}

bool PanelActionRow::isHighlighted() const
{
    return m_setup.hovered.value_or(m_pointerOver);
}

QColor PanelActionRow::fillColor() const
{
    const ColorScheme scheme = environment().scheme;
    QColor fill = Qt::transparent;
    if (m_setup.isDisabled)
        return fill;
    if (isHighlighted()) {
        fill = BrandPalette::primary(scheme);
        fill.setAlphaF(0.08f);
    } else if (m_setup.isSuggested) {
        fill = m_setup.brand.color();
        fill.setAlphaF(0.16f);
    }
    return fill;
}

void PanelActionRow::setOnLayout(LayoutCallback onLayout)
{
    m_onLayout = std::move(onLayout);
    m_reported.fill(std::nullopt);
    reportFrames();
}

void PanelActionRow::reportFrames()
{
    // A hidden row is laid out only when it shows; its frames mean nothing before.
    if (!m_onLayout || !isVisible())
        return;
    for (const PanelActionRowPart each : allPanelActionRowParts) {
        const QWidget *widget = part(each);
        if (!widget)
            continue;
        const QRect frame(widget->mapTo(this, QPoint(0, 0)), widget->size());
        std::optional<QRect> &last = m_reported.at(std::size_t(each));
        if (last == frame)
            continue;
        last = frame;
        // The callback may replace itself; the copy keeps this call alive.
        const LayoutCallback report = m_onLayout;
        report(each, frame);
    }
}

bool PanelActionRow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        reportFrames();
    return QWidget::eventFilter(watched, event);
}

void PanelActionRow::environmentChanged()
{
    const OrbelEnvironment &env = environment();
    const QFont callout = orbelFont(OrbelFont::Detail, env.textSize);
    m_icon->setFont(callout);
    m_icon->setTint(m_setup.brand.accent(env.scheme));
    m_title->setFont(callout);
    m_title->setColor(BrandPalette::primary(env.scheme));
    if (m_badge) {
        m_badge->setFont(withEqualWidthDigits(callout));
        QPalette palette = m_badge->palette();
        palette.setColor(QPalette::WindowText, BrandPalette::primary(env.scheme));
        m_badge->setPalette(palette);
    }
    m_action->update();
}

} // namespace orbel
