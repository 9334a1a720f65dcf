#include "accessibility_heading.h"

#include "accessibility_element.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QLabel>

namespace orbel {

namespace {

constexpr char headingProperty[] = "orbelAccessibilityHeading";

class HeadingAccessible : public QAccessibleWidget {
public:
    explicit HeadingAccessible(QWidget *widget) : QAccessibleWidget(widget, QAccessible::Heading) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            if (const auto *label = qobject_cast<const QLabel *>(widget()))
                return spokenText(label->text());
        }
        return spokenText(QAccessibleWidget::text(kind));
    }
};

QAccessibleInterface *headingFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && widget->property(headingProperty).toBool())
        return new HeadingAccessible(widget);
    return nullptr;
}

} // namespace

void setAccessibilityHeading(QWidget *widget)
{
    static const bool installed = [] {
        QAccessible::installFactory(headingFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(headingProperty, true);
    // Forget an interface made before the mark, so the next one is a heading.
    QAccessibleInterface *current = QAccessible::queryAccessibleInterface(widget);
    if (current && !dynamic_cast<HeadingAccessible *>(current))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

bool isAccessibilityHeading(const QWidget *widget)
{
    return widget->property(headingProperty).toBool();
}

} // namespace orbel
