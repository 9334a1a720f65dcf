#include "preferences_destructive_label.h"

namespace orbel {

PreferencesDestructiveLabel::PreferencesDestructiveLabel(const QString &text, const OrbelEnvironment &environment,
                                                         QWidget *parent)
    : TextLabel(text, parent), EnvironmentAware(environment)
{
    environmentChanged();
}

QColor PreferencesDestructiveLabel::colorFor(ColorScheme scheme)
{
    return scheme == ColorScheme::Dark ? QColor(255, 170, 160) : QColor(152, 34, 27);
}

void PreferencesDestructiveLabel::environmentChanged()
{
    setColor(colorFor(environment().scheme));
}

} // namespace orbel
