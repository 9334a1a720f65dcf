#pragma once

#include "binding.h"
#include "orbel_environment.h"

#include <QAbstractButton>
#include <QVariantAnimation>

#include <optional>

namespace orbel {

// The switch-style toggle: a rounded track in the tint when on, with a white
// knob that slides across. Space toggles it; it reads to screen readers as a
// check box named by its label. The slide is animated unless the environment
// asks for reduced motion.
class OrbelSwitch : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    enum class ControlSize { Regular, Small };

    OrbelSwitch(const QString &label, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    // Every flip (click, Space, a screen reader's action, toggle()) writes
    // through the binding and then shows what it reads back.
    void setBinding(Binding<bool> binding);
    // Shows the bound value again after the owner of the value changed it.
    void syncFromBinding();

    // The tint; without one, the environment's tint, else the desktop accent.
    void setTint(const std::optional<QColor> &tint);
    QColor effectiveTint() const;

    void setControlSize(ControlSize size);
    ControlSize controlSize() const { return m_controlSize; }

    // The painted track, centred in the widget.
    QRectF trackRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void nextCheckState() override;
    void environmentChanged() override { update(); }

private:
    QSize trackSize() const;
    void moveKnob(bool animated);
    void applyToggle(bool checked);

    Binding<bool> m_binding;
    std::optional<QColor> m_tint;
    ControlSize m_controlSize = ControlSize::Regular;
    QVariantAnimation m_animation;
    qreal m_position = 0;
    bool m_userToggle = false;
    // Showing the bound value, not a flip to write back.
    bool m_syncing = false;
};

} // namespace orbel
