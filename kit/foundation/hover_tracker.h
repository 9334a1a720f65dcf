#pragma once

#include <QObject>

#include <functional>

class QWidget;

namespace orbel {

// Whether the pointer is over a widget, from the enter and leave events the
// widget receives. The widget repaints on every change, and a widget that is
// hidden is no longer hovered (no leave event may ever come for it; that
// change is not reported). Owned by the widget it watches.
class HoverTracker : public QObject {
public:
    // `changed`, when given, hears the pointer come and go.
    explicit HoverTracker(QWidget *widget, std::function<void(bool)> changed = {});

    bool isHovered() const { return m_hovered; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setHovered(bool hovered);

    QWidget *m_widget;
    std::function<void(bool)> m_changed;
    bool m_hovered = false;
};

} // namespace orbel
