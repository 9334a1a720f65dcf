#pragma once

#include "orbel_environment.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

namespace orbel {

class BorderedButton;
class BrandFocusRing;
class SymbolView;
class TextLabel;

// What a status row says about the thing it describes.
enum class PreferencesStatus { Good, Info, Warning, Waiting };

inline constexpr std::array<PreferencesStatus, 4> allPreferencesStatuses{
    PreferencesStatus::Good, PreferencesStatus::Info, PreferencesStatus::Warning, PreferencesStatus::Waiting};

// The button a status row offers: its title and what it does.
struct PreferencesAction {
    QString title;
    std::function<void()> run;
};

// A status line in a preferences card: a symbol for the status, then the
// title (semibold when a detail follows it), the detail in the secondary
// colour and, when there is one, a neutral bordered button 12 below the
// texts. The symbol is a check in the accent for good news, an information
// or clock symbol in the secondary colour, and a warning triangle in the
// attention colour. Padded 12 above and below.
class PreferencesStatusRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    // A row without a button.
    PreferencesStatusRow(PreferencesStatus status, const QString &title, const std::optional<QString> &detail,
                         const OrbelEnvironment &environment, QWidget *parent = nullptr);
    // A row with a button that runs `action`.
    PreferencesStatusRow(PreferencesStatus status, const QString &title, const std::optional<QString> &detail,
                         PreferencesAction action, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    PreferencesStatus status() const { return m_status; }
    void setStatus(PreferencesStatus status);
    QString title() const;
    void setTitle(const QString &title);
    std::optional<QString> detail() const;
    void setDetail(const std::optional<QString> &detail);

    bool hasAction() const { return m_button != nullptr; }
    // Absent without an action.
    BorderedButton *actionButton() const { return m_button; }

    SymbolView *icon() const { return m_icon; }
    TextLabel *titleLabel() const { return m_title; }
    // The texts as screen readers hear them: one element.
    QWidget *texts() const { return m_texts; }

    static QString symbolFor(PreferencesStatus status);
    // The symbol's colour; good news takes the environment's tint.
    static QColor colorFor(PreferencesStatus status, const OrbelEnvironment &environment);

protected:
    void environmentChanged() override;

private:
    PreferencesStatusRow(PreferencesStatus status, const QString &title, const std::optional<QString> &detail,
                         std::optional<PreferencesAction> action, const OrbelEnvironment &environment, QWidget *parent);
    void updateTexts();

    PreferencesStatus m_status;
    bool m_hasDetail;
    SymbolView *m_icon;
    QWidget *m_texts;
    TextLabel *m_title;
    TextLabel *m_detail;
    BorderedButton *m_button = nullptr;
};

} // namespace orbel
