#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"
#include "welcome_button.h"

#include <QWidget>

#include <array>
#include <optional>

class QVBoxLayout;

namespace orbel {

class SymbolView;
class TextLabel;

// Where one step of a multi-step onboarding stands.
enum class WelcomeStepState { Todo, Done, Attention };

inline constexpr std::array<WelcomeStepState, 3> allWelcomeStepStates{WelcomeStepState::Todo, WelcomeStepState::Done,
                                                                      WelcomeStepState::Attention};

// One row of an onboarding checklist: a state symbol (an empty circle to do,
// a green check when done, a warning triangle when it needs attention) beside
// the caller's description of the step. A done step may celebrate with a
// green line above the description; a step not done may offer a bordered
// button under it. Padded 12 above and below.
class WelcomeStepRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    // Takes ownership of `detail`.
    WelcomeStepRow(WelcomeStepState state, const OrbelBrand &brand, const std::optional<QString> &celebration,
                   const std::optional<WelcomeStepsButton> &action, QWidget *detail,
                   const OrbelEnvironment &environment, QWidget *parent = nullptr);

    WelcomeStepState state() const { return m_state; }
    SymbolView *icon() const { return m_icon; }
    QWidget *detail() const { return m_detail; }
    // Absent when the step is done or offers no action.
    WelcomeButton *actionButton() const { return m_action; }

    static QString symbolFor(WelcomeStepState state);
    static QColor colorFor(WelcomeStepState state, ColorScheme scheme);

protected:
    void environmentChanged() override;

private:
    WelcomeStepState m_state;
    SymbolView *m_icon;
    TextLabel *m_celebration = nullptr;
    QWidget *m_detail;
    WelcomeButton *m_action = nullptr;
};

} // namespace orbel
