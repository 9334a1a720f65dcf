#include "accessibility_element.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QVariant>
#include <QWidget>

namespace orbel {

namespace {

constexpr char roleProperty[] = "orbelAccessibilityRole";
constexpr char valueProperty[] = "orbelAccessibilityValue";
constexpr char selectedProperty[] = "orbelAccessibilitySelected";

class ElementAccessible : public QAccessibleWidget {
public:
    ElementAccessible(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return widget()->property(valueProperty).toString();
        return spokenText(QAccessibleWidget::text(kind));
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        const QVariant selected = widget()->property(selectedProperty);
        if (selected.isValid()) {
            state.selectable = true;
            state.selected = selected.toBool();
        }
        if (const QAbstractButton *button = pressable())
            state.pressed = button->isDown();
        return state;
    }

    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }

    QStringList actionNames() const override
    {
        QStringList names;
        if (pressable())
            names << pressAction();
        return names << QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (QAbstractButton *button = pressable(); button && button->isEnabled())
                button->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QAbstractButton *pressable() const
    {
        return role() == QAccessible::Button ? qobject_cast<QAbstractButton *>(widget()) : nullptr;
    }
};

QAccessibleInterface *elementFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (!widget)
        return nullptr;
    const QVariant role = widget->property(roleProperty);
    if (!role.isValid())
        return nullptr;
    return new ElementAccessible(widget, QAccessible::Role(role.toInt()));
}

} // namespace

void setAccessibilityElement(QWidget *widget, QAccessible::Role role)
{
    static const bool installed = [] {
        QAccessible::installFactory(elementFactory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(roleProperty, int(role));
    // Forget an interface made before the mark, so the next one is ours.
    QAccessibleInterface *current = QAccessible::queryAccessibleInterface(widget);
    if (current && !dynamic_cast<ElementAccessible *>(current))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(current));
}

bool isAccessibilityElement(const QWidget *widget)
{
    return widget->property(roleProperty).isValid();
}

QString spokenText(QString text)
{
    return text.remove(QChar(0x00AD));
}

void setAccessibilityValue(QWidget *widget, const QString &given)
{
    const QString value = spokenText(given);
    if (widget->property(valueProperty).toString() == value)
        return;
    widget->setProperty(valueProperty, value);
    QAccessibleValueChangeEvent event(widget, value);
    QAccessible::updateAccessibility(&event);
}

QString accessibilityValue(const QWidget *widget)
{
    return widget->property(valueProperty).toString();
}

void setAccessibilitySelected(QWidget *widget, bool selected)
{
    const QVariant before = widget->property(selectedProperty);
    if (before.isValid() && before.toBool() == selected)
        return;
    widget->setProperty(selectedProperty, selected);
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent event(widget, changed);
    QAccessible::updateAccessibility(&event);
}

} // namespace orbel
