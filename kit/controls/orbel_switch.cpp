#include "orbel_switch.h"

#include "accessibility_element.h"
#include "brand_palette.h"

#include <QPainter>
#include <QPainterPath>
#include <QScopedValueRollback>

#include <utility>

namespace orbel {

OrbelSwitch::OrbelSwitch(const QString &label, const OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment)
{
    setCheckable(true);
    setText(label);
    setAccessibleName(spokenText(label));
    // Like the desktop's switches, a click flips it without taking keyboard focus.
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_animation.setDuration(150);
    m_animation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_position = value.toReal();
        update();
    });
    // Every way of flipping the switch (a click, Space, a screen reader's
    // toggle action, QAbstractButton::toggle()) ends here, so the binding
    // always has the last word.
    connect(this, &QAbstractButton::toggled, this, &OrbelSwitch::applyToggle);
}

void OrbelSwitch::setBinding(Binding<bool> binding)
{
    m_binding = std::move(binding);
    syncFromBinding();
}

void OrbelSwitch::syncFromBinding()
{
    if (!m_binding)
        return;
    const QScopedValueRollback syncing(m_syncing, true);
    setChecked(m_binding.get());
}

void OrbelSwitch::setTint(const std::optional<QColor> &tint)
{
    m_tint = tint;
    update();
}

QColor OrbelSwitch::effectiveTint() const
{
    if (m_tint)
        return *m_tint;
    return environment().tint.value_or(BrandPalette::systemAccent(environment().scheme));
}

void OrbelSwitch::setControlSize(ControlSize size)
{
    m_controlSize = size;
    updateGeometry();
    update();
}

QSize OrbelSwitch::trackSize() const
{
    return m_controlSize == ControlSize::Small ? QSize(32, 18) : QSize(38, 22);
}

QRectF OrbelSwitch::trackRect() const
{
    QRectF track(QPointF(0, 0), QSizeF(trackSize()));
    track.moveCenter(QRectF(rect()).center());
    return track;
}

QSize OrbelSwitch::sizeHint() const
{
    return trackSize();
}

bool OrbelSwitch::hitButton(const QPoint &pos) const
{
    // The whole frame answers clicks, not only the painted track.
    return rect().contains(pos);
}

void OrbelSwitch::nextCheckState()
{
    m_userToggle = true;
    setChecked(!isChecked());
    m_userToggle = false;
}

void OrbelSwitch::applyToggle(bool checked)
{
    const bool animated = std::exchange(m_userToggle, false);
    if (m_binding && !m_syncing) {
        if (m_binding.get() != checked)
            m_binding.set(checked);
        // A refused change snaps back; the nested toggle moves the knob.
        if (const bool bound = m_binding.get(); bound != checked) {
            const QScopedValueRollback syncing(m_syncing, true);
            setChecked(bound);
            return;
        }
    }
    moveKnob(animated);
}

void OrbelSwitch::moveKnob(bool animated)
{
    const qreal target = isChecked() ? 1.0 : 0.0;
    m_animation.stop();
    if (animated && !environment().reduceMotion && isVisible()) {
        m_animation.setStartValue(m_position);
        m_animation.setEndValue(target);
        m_animation.start();
    } else {
        m_position = target;
        update();
    }
}

void OrbelSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);

    const ColorScheme scheme = environment().scheme;
    const QRectF track = trackRect();
    const qreal radius = track.height() / 2;

    // The off colour gives way to the tint as the knob travels.
    QColor off = BrandPalette::primary(scheme);
    off.setAlphaF(scheme == ColorScheme::Dark ? 0.2f : 0.11f);
    const QColor on = effectiveTint();
    painter.setPen(Qt::NoPen);
    painter.setBrush(off);
    painter.drawRoundedRect(track, radius, radius);
    if (m_position > 0) {
        painter.save();
        painter.setOpacity(painter.opacity() * m_position);
        painter.setBrush(on);
        painter.drawRoundedRect(track, radius, radius);
        painter.restore();
    }

    const qreal inset = 2;
    const qreal knob = track.height() - 2 * inset;
    const qreal travel = track.width() - 2 * inset - knob;
    const QRectF knobRect(track.left() + inset + travel * m_position, track.top() + inset, knob, knob);

    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawEllipse(knobRect.translated(0, 0.5).adjusted(-0.5, -0.5, 0.5, 0.5));
    painter.setBrush(isDown() ? QColor(236, 236, 236) : QColor(255, 255, 255));
    painter.drawEllipse(knobRect);
}

} // namespace orbel
