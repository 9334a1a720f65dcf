#pragma once

#include "orbel_environment.h"

#include <QFocusFrame>
#include <QPainterPath>
#include <QPointer>

namespace orbel {

// Whether a key has been pressed in a window since it last became active.
// Focus rings show only then, so people who use the pointer never see them.
struct BrandFocusSession {
    bool keyboardUsed = false;

    bool operator==(const BrandFocusSession &) const = default;
};

// The outline a ring follows, laid out in the ring's own (larger) rectangle.
class RingShape {
public:
    static RingShape rectangle() { return RingShape(Kind::RoundedRect, 0); }
    static RingShape roundedRect(qreal radius) { return RingShape(Kind::RoundedRect, radius); }
    static RingShape capsule() { return RingShape(Kind::Capsule, 0); }
    // A capsule around an outline of `size` centred in the control (a
    // switch's track inside its larger frame).
    static RingShape capsule(QSizeF size) { return RingShape(Kind::Capsule, 0, size); }
    static RingShape circle() { return RingShape(Kind::Circle, 0); }

    QPainterPath path(const QRectF &rect) const;

private:
    enum class Kind { RoundedRect, Capsule, Circle };
    RingShape(Kind kind, qreal radius, QSizeF outline = {}) : m_kind(kind), m_radius(radius), m_outline(outline) {}

    Kind m_kind;
    qreal m_radius;
    // Empty: the control's whole rectangle.
    QSizeF m_outline;
};

// The kit's focus ring around one control: a 1-pixel line in the primary
// colour at 55 %, 4 pixels outside the control's outline on every side. It is
// on while the environment says the keyboard was used and the control has
// focus. It never takes clicks and screen readers never see it.
// Where a ring lives: beside its control, in the control's parent and below
// it, or above the content of the enclosing scroll area (or window), where
// no tightly drawn parent of the control clips it.
enum class RingLayer { BesideControl, AboveContent };

class BrandFocusRing : public QFocusFrame, public EnvironmentAware {
    Q_OBJECT

public:
    // The distance between the control's outline and the ring.
    static constexpr int outset = 4;

    BrandFocusRing(QWidget *control, RingShape shape, const OrbelEnvironment &environment,
                   RingLayer layer = RingLayer::BesideControl);

    bool isOn() const { return m_on; }
    QWidget *control() const { return m_control; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    void refresh();

    QPointer<QWidget> m_control;
    RingShape m_shape;
    bool m_on = false;
};

} // namespace orbel
