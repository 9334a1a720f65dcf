#include "hover_tracker.h"

#include <QEvent>
#include <QWidget>

#include <utility>

namespace orbel {

HoverTracker::HoverTracker(QWidget *widget, std::function<void(bool)> changed)
    : QObject(widget), m_widget(widget), m_changed(std::move(changed))
{
    widget->setAttribute(Qt::WA_Hover);
    widget->installEventFilter(this);
}

bool HoverTracker::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_widget) {
        switch (event->type()) {
        case QEvent::Enter:
            setHovered(true);
            break;
        case QEvent::Leave:
            setHovered(false);
            break;
        case QEvent::Hide:
            // Quietly: the widget may be hidden because its owner is going,
            // and a hidden widget needs no repaint.
            m_hovered = false;
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void HoverTracker::setHovered(bool hovered)
{
    if (m_hovered == hovered)
        return;
    m_hovered = hovered;
    m_widget->update();
    if (m_changed)
        m_changed(hovered);
}

} // namespace orbel
