#pragma once

#include "orbel_environment.h"

#include <QWidget>

#include <optional>

namespace orbel {

class SymbolView;
class TextLabel;

// A panel row: a symbol in a 20-wide frame, a one-line title and the caller's
// control at the trailing edge, 8 apart and centred on each other. A long
// title ends in an ellipsis and leaves at least 8 before the control, which
// keeps its ideal size. At least 32 high. The symbol is drawn in the
// secondary colour; screen readers skip it. The title takes the row's font.
class SettingRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    // Takes ownership of `control`.
    SettingRow(const QString &title, const QString &symbol, QWidget *control, const OrbelEnvironment &environment,
               QWidget *parent = nullptr);

    QString title() const;
    SymbolView *icon() const { return m_icon; }
    TextLabel *titleLabel() const { return m_title; }
    QWidget *control() const { return m_control; }

protected:
    // A row whose symbol wears `symbolTint` rather than the secondary colour.
    SettingRow(const QString &title, const QString &symbol, std::optional<QColor> symbolTint, QWidget *control,
               const OrbelEnvironment &environment, QWidget *parent);

    void environmentChanged() override;

private:
    std::optional<QColor> m_symbolTint;
    SymbolView *m_icon;
    TextLabel *m_title;
    QWidget *m_control;
};

} // namespace orbel
