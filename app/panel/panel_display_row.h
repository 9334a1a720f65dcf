#pragma once

#include "binding.h"
#include "orbel_environment.h"

#include <QWidget>

#include <optional>

namespace orbel {
class OrbelSwitch;
class SymbolView;
class TextLabel;
} // namespace orbel

namespace pelorin {

// The keep-the-display-awake row: the display symbol, the sentence, and at
// the trailing edge either a small switch (no session yet: the choice for the
// next one) or the running session's choice, "Yes" or "No". With a session
// the row reads to screen readers as one element, the sentence with its
// answer; without one the switch stays an element of its own.
class PanelDisplayRow : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    PanelDisplayRow(orbel::Binding<bool> keepsDisplayAwake, const orbel::OrbelEnvironment &environment,
                    QWidget *parent = nullptr);

    // "Keep the display always awake".
    static QString title();

    // With a session's choice the row shows it as "Yes" or "No"; without
    // one it shows the switch.
    void showSessionChoice(std::optional<bool> sessionChoice);
    bool isCombined() const { return m_sessionChoice.has_value(); }
    // "Yes" or "No" while combined; empty otherwise.
    QString valueText() const;

    void setSwitchEnabled(bool enabled);
    void syncSwitch();

    orbel::OrbelSwitch *displaySwitch() const { return m_switch; }
    orbel::TextLabel *valueLabel() const { return m_value; }
    orbel::TextLabel *titleLabel() const { return m_title; }

protected:
    void environmentChanged() override;

private:
    orbel::SymbolView *m_symbol;
    orbel::TextLabel *m_title;
    orbel::TextLabel *m_value;
    orbel::OrbelSwitch *m_switch;
    std::optional<bool> m_sessionChoice;
};

} // namespace pelorin
