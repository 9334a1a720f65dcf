#include "brand_focus_ring.h"

#include "brand_palette.h"

#include <QEvent>
#include <QPainter>
#include <QProxyStyle>

namespace orbel {

namespace {

// QFocusFrame takes its margins and its stacking from the style: ours sits
// `outset` pixels outside the control, below it among its siblings.
class RingStyle : public QProxyStyle {
public:
    explicit RingStyle(bool above) : m_above(above) {}

    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_FocusFrameHMargin || metric == PM_FocusFrameVMargin)
            return BrandFocusRing::outset;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_FocusFrame_AboveWidget)
            return m_above ? 1 : 0;
        if (hint == SH_FocusFrame_Mask)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    bool m_above;
};

} // namespace

QPainterPath RingShape::path(const QRectF &bounds) const
{
    QRectF rect = bounds;
    if (!m_outline.isEmpty()) {
        // As far outside the outline as the whole ring lies outside the
        // control; `bounds` is the ring's rectangle less half its line.
        const qreal grow = 2 * BrandFocusRing::outset - 1;
        rect.setSize(m_outline + QSizeF(grow, grow));
        rect.moveCenter(bounds.center());
    }
    QPainterPath path;
    switch (m_kind) {
    case Kind::RoundedRect:
        path.addRoundedRect(rect, m_radius, m_radius);
        break;
    case Kind::Capsule: {
        const qreal radius = qMin(rect.width(), rect.height()) / 2;
        path.addRoundedRect(rect, radius, radius);
        break;
    }
    case Kind::Circle: {
        const qreal side = qMin(rect.width(), rect.height());
        QRectF square(0, 0, side, side);
        square.moveCenter(rect.center());
        path.addEllipse(square);
        break;
    }
    }
    return path;
}

BrandFocusRing::BrandFocusRing(QWidget *control, RingShape shape, const OrbelEnvironment &environment, RingLayer layer)
    : QFocusFrame(control->parentWidget()), EnvironmentAware(environment), m_control(control), m_shape(shape)
{
    auto *style = new RingStyle(layer == RingLayer::AboveContent);
    style->setParent(this);
    setStyle(style);
    // A ring lives beside its control, so a control without a parent gets none.
    if (control->parentWidget())
        setWidget(control);
    refresh();
}

bool BrandFocusRing::eventFilter(QObject *watched, QEvent *event)
{
    const bool handled = QFocusFrame::eventFilter(watched, event);
    if (watched == m_control) {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Show:
        case QEvent::Hide:
            refresh();
            break;
        default:
            break;
        }
    }
    return handled;
}

void BrandFocusRing::environmentChanged()
{
    refresh();
    update();
}

void BrandFocusRing::refresh()
{
    m_on = m_control && widget() && environment().keyboardUsed && m_control->hasFocus();
    // QFocusFrame shows itself whenever its control does; an off ring stays hidden.
    setVisible(m_on && m_control->isVisible());
}

void BrandFocusRing::paintEvent(QPaintEvent *)
{
    if (!m_on)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(BrandPalette::primary55(environment().scheme), 1.0));
    painter.setBrush(Qt::NoBrush);
    // A 1-pixel line centred on the outline would straddle the widget's edge.
    painter.drawPath(m_shape.path(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
}

} // namespace orbel
