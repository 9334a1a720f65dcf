#include "orbel_environment.h"

#include <QWidget>

namespace orbel {

void EnvironmentAware::setEnvironment(const OrbelEnvironment &environment)
{
    const bool changed = !(environment == m_environment);
    m_environment = environment;
    if (changed)
        environmentChanged();
    if (auto *self = dynamic_cast<QWidget *>(this))
        propagateEnvironment(self, childEnvironment());
}

void propagateEnvironment(QWidget *root, const OrbelEnvironment &environment)
{
    const QList<QWidget *> children = root->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *child : children) {
        if (child->isWindow())
            continue;
        if (auto *aware = dynamic_cast<EnvironmentAware *>(child))
            aware->setEnvironment(environment);
        else
            propagateEnvironment(child, environment);
    }
}

} // namespace orbel
