#include "accessibility_hidden.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace orbel {

namespace {

constexpr char hiddenProperty[] = "orbelAccessibilityHidden";

class HiddenAccessible : public QAccessibleWidget {
public:
    explicit HiddenAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::NoRole) {}

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.invisible = true;
        state.focusable = false;
        return state;
    }
    QString text(QAccessible::Text) const override { return {}; }
};

QAccessibleInterface *hiddenFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->property(hiddenProperty).toBool())
        return new HiddenAccessible(widget);
    return nullptr;
}

} // namespace

void setAccessibilityHidden(QWidget *widget)
{
    static const bool installed = [] {
        QAccessible::installFactory(hiddenFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(hiddenProperty, true);
    // Some widgets are already known to accessibility by the end of their own
    // construction; forget that interface so the next one is the silent kind.
    QAccessibleInterface *current = QAccessible::queryAccessibleInterface(widget);
    if (current && !dynamic_cast<HiddenAccessible *>(current))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

bool isAccessibilityHidden(const QWidget *widget)
{
    return widget->property(hiddenProperty).toBool();
}

} // namespace orbel
