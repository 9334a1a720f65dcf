#include "welcome_button.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "preferences_focus_ring.h"

#include <QLinearGradient>
#include <QPainter>
#include <QShortcut>

#include <utility>

namespace orbel {

namespace {

// The label's frame is at least this high; the extra-large bezel adds room
// above and below it.
constexpr int minimumLabelHeight = 25;
constexpr int bezelPadding = 11;
constexpr int horizontalPadding = 20;

} // namespace

WelcomeButton::WelcomeButton(WelcomeStepsButton button, const OrbelBrand &brand, bool prominent,
                             const OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment), m_button(std::move(button)), m_brand(brand),
      m_prominent(prominent)
{
    m_hover = new HoverTracker(this);
    setText(m_button.title);
    setAccessibleName(spokenText(m_button.title));
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setEnabled(!m_button.isDisabled);
    if (m_button.action)
        connect(this, &QAbstractButton::clicked, this, [this] { m_button.action(); });
    preferencesFocusRing(this, RingShape::capsule(), environment);
    environmentChanged();
}

QColor WelcomeButton::labelColor(const OrbelBrand &brand)
{
    return brand.readableForeground();
}

QColor WelcomeButton::labelColor() const
{
    return m_prominent ? labelColor(m_brand) : BrandPalette::primary(environment().scheme);
}

QColor WelcomeButton::fillColor() const
{
    if (m_prominent) {
        QColor fill = m_brand.color();
        fill.setAlphaF(isEnabled() ? 1.0f : 0.5f);
        return fill;
    }
    return BrandPalette::bezelFill(environment().scheme, isDown(), m_hover->isHovered() && isEnabled());
}

BrandFocusRing *WelcomeButton::focusRing() const
{
    return preferencesFocusRingOf(this);
}

void WelcomeButton::setDefault(bool isDefault)
{
    if (isDefault == m_isDefault)
        return;
    m_isDefault = isDefault;
    qDeleteAll(std::exchange(m_shortcuts, {}));
    if (!isDefault)
        return;
    // Window-wide, like a dialog's default button. A shortcut of a disabled
    // button does not fire, and click() refuses a disabled button as well.
    for (const QKeySequence &keys : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &QAbstractButton::click);
        m_shortcuts.append(shortcut);
    }
}

int WelcomeButton::labelHeight() const
{
    return qMax(minimumLabelHeight, fontMetrics().height());
}

QSize WelcomeButton::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(text()) + 2 * horizontalPadding, labelHeight() + bezelPadding};
}

void WelcomeButton::environmentChanged()
{
    const TextSize size = environment().textSize;
    setFont(m_prominent ? orbelFont(OrbelFont::SupportSemibold, size) : orbelFont(OrbelFont::Support, size));
    updateGeometry();
    update();
}

void WelcomeButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bezel(rect());
    const qreal radius = bezel.height() / 2;

    painter.setPen(Qt::NoPen);
    painter.setBrush(fillColor());
    painter.drawRoundedRect(bezel, radius, radius);

    if (m_prominent) {
        // A glassy sheen over the upper half, a shade when pressed or hovered.
        QLinearGradient sheen(bezel.topLeft(), bezel.bottomLeft());
        sheen.setColorAt(0, QColor(255, 255, 255, isEnabled() ? 56 : 28));
        sheen.setColorAt(0.5, QColor(255, 255, 255, 0));
        painter.setBrush(sheen);
        painter.drawRoundedRect(bezel, radius, radius);
        if (isEnabled() && (isDown() || m_hover->isHovered())) {
            painter.setBrush(isDown() ? QColor(0, 0, 0, 46) : QColor(255, 255, 255, 26));
            painter.drawRoundedRect(bezel, radius, radius);
        }
        // A hairline edge keeps a fill close to the window's own colour apart
        // from it.
        QColor edge = BrandPalette::primary(environment().scheme);
        edge.setAlphaF(environment().isDark() ? 0.14f : 0.1f);
        painter.setPen(QPen(edge, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bezel.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
    }

    painter.setOpacity(isEnabled() ? 1.0 : (m_prominent ? 0.6 : 0.4));
    painter.setPen(labelColor());
    painter.setFont(font());
    painter.drawText(bezel, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, text());
}

} // namespace orbel
