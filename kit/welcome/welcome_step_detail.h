#pragma once

#include "orbel_environment.h"

#include <QWidget>

class QVBoxLayout;

namespace orbel {

class TextLabel;

// The description of an onboarding step: its parts stacked with the given
// spacing in the welcome pages' text size, indented 32 and with 12 below.
class WelcomeStepDetail : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    WelcomeStepDetail(int spacing, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    // Takes ownership.
    void addWidget(QWidget *widget);
    // Adds a paragraph that wraps.
    TextLabel *addText(const QString &text);
    QVBoxLayout *contentLayout() const { return m_layout; }

protected:
    void environmentChanged() override;

private:
    QVBoxLayout *m_layout;
};

} // namespace orbel
