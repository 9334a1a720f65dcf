#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QAbstractButton>
#include <QStringList>

#include <functional>
#include <optional>

namespace orbel {

class SymbolView;
class TextLabel;

// The shortcut chip at the end of a panel action row: the action's keys as
// key caps, or a placeholder in their place, at least 36 high with 8 of
// padding either side and never wider than it needs.
//
// Its tint is the scheme's attention colour when the shortcut conflicts with
// another, else the brand accent. A conflict shows an exclamation mark in a
// circle; a chip being edited without conflict shows a pencil. While edited or
// in conflict the chip sits on the tint at 12 % inside a 1-pixel border of the
// tint, with 8-pixel corners.
//
// With an editor the chip is a button that runs the editor's action, read by
// screen readers under the editor's label with the keys (or placeholder) as
// its value, the editor's hint as its description and its help as tooltip.
// Without one it is a display, faded to half when disabled, read as one text:
// the placeholder, else the keys joined with single spaces.
class PanelShortcutKeys : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    struct Editor {
        QString label;
        QString hint;
        QString help;
        std::function<void()> edit;
    };

    // Display only: never edited, no editor.
    PanelShortcutKeys(const QStringList &keys, const std::optional<QString> &placeholder, const OrbelBrand &brand,
                      bool hasConflict, bool isDisabled, const OrbelEnvironment &environment,
                      QWidget *parent = nullptr);
    PanelShortcutKeys(const QStringList &keys, const std::optional<QString> &placeholder, const OrbelBrand &brand,
                      bool isEditing, bool hasConflict, bool isDisabled, std::optional<Editor> editor,
                      const OrbelEnvironment &environment, QWidget *parent = nullptr);

    const QStringList &keys() const { return m_keys; }
    bool isEditing() const { return m_isEditing; }
    bool hasConflict() const { return m_hasConflict; }

    QColor tint() const;
    // The status symbol's name, empty when none shows.
    QString statusSymbol() const;
    // The chip's fill; transparent unless edited or in conflict.
    QColor fillColor() const;
    // What screen readers hear as the chip's keys.
    QString spokenKeys() const;

    SymbolView *statusIcon() const { return m_status; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    QStringList m_keys;
    std::optional<QString> m_placeholderText;
    OrbelBrand m_brand;
    bool m_isEditing;
    bool m_hasConflict;
    bool m_isDisabled;
    std::optional<Editor> m_editor;
    SymbolView *m_status;
    TextLabel *m_placeholder = nullptr;
};

} // namespace orbel
