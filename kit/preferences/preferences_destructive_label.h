#pragma once

#include "orbel_environment.h"
#include "text_label.h"

namespace orbel {

// Text for an action that removes or resets something: a soft red in dark,
// a deep red in light, both readable on the window background.
class PreferencesDestructiveLabel : public TextLabel, public EnvironmentAware {
    Q_OBJECT

public:
    PreferencesDestructiveLabel(const QString &text, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    static QColor colorFor(ColorScheme scheme);

protected:
    void environmentChanged() override;
};

} // namespace orbel
