#include "preferences_focus_ring.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace orbel {

namespace {

constexpr char keeperName[] = "orbelFocusRingKeeper";

// Keeps a control's ring in the control's current parent. The ring belongs to
// the parent (it draws outside the control), so it cannot simply follow the
// control when the control is moved.
class RingKeeper final : public QObject {
public:
    RingKeeper(QWidget *control, RingShape shape, const OrbelEnvironment &environment, RingLayer layer)
        : QObject(control), m_control(control), m_shape(shape), m_environment(environment), m_layer(layer)
    {
        setObjectName(QLatin1String(keeperName));
        control->installEventFilter(this);
        rebuild();
    }

    BrandFocusRing *ring() const { return m_ring; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != m_control)
            return false;
        if (event->type() == QEvent::ParentChange)
            rebuild();
        return false;
    }

private:
    void dropRing()
    {
        if (!m_ring)
            return;
        // The ring's environment is the latest word on the keyboard.
        m_environment = m_ring->environment();
        delete m_ring.data();
    }

    void rebuild()
    {
        if (m_ring && m_ring->parentWidget() == m_control->parentWidget())
            return;
        dropRing();
        if (!m_control->parentWidget())
            return;
        m_ring = new BrandFocusRing(m_control, m_shape, m_environment, m_layer);
        // The ring watches the control too. The keeper must hear of a move
        // first: the old ring cannot follow the control into a parent that it
        // does not belong to, so the keeper replaces it before it tries.
        m_control->installEventFilter(this);
    }

    QWidget *m_control;
    RingShape m_shape;
    OrbelEnvironment m_environment;
    RingLayer m_layer;
    QPointer<BrandFocusRing> m_ring;
};

RingKeeper *keeperOf(const QWidget *control)
{
    return static_cast<RingKeeper *>(
        control->findChild<QObject *>(QLatin1String(keeperName), Qt::FindDirectChildrenOnly));
}

} // namespace

void preferencesFocusRing(QWidget *control, RingShape shape, const OrbelEnvironment &environment, RingLayer layer)
{
    if (!control || keeperOf(control))
        return;
    // Like the desktop's buttons and switches, a click acts without taking
    // the focus; Tab reaches the control.
    control->setFocusPolicy(Qt::TabFocus);
    new RingKeeper(control, shape, environment, layer);
}

BrandFocusRing *preferencesFocusRingOf(const QWidget *control)
{
    if (!control)
        return nullptr;
    const RingKeeper *keeper = keeperOf(control);
    return keeper ? keeper->ring() : nullptr;
}

} // namespace orbel
