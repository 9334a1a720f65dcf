#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QLabel;

namespace orbel {

class SymbolView;
class TextLabel;

// The measurable parts of a panel action row.
enum class PanelActionRowPart { Action, Icon, Text, Shortcut };

inline constexpr std::array<PanelActionRowPart, 4> allPanelActionRowParts{
    PanelActionRowPart::Action, PanelActionRowPart::Icon, PanelActionRowPart::Text, PanelActionRowPart::Shortcut};

// A full-width action in a menu-bar panel: the symbol in the brand accent
// (20 wide), the title (up to two lines) and an optional badge in equal-width
// digits, on a rounded surface at least 36 high; then, 12 to its right, the
// caller's trailing widget (typically a PanelShortcutKeys chip) at its ideal
// size.
//
// With an action the surface is a button that runs it: it lights up under the
// pointer (or as the `hovered` override says), and screen readers hear its
// value and hint. Without one the row only shows and ignores the pointer.
// The fill: hovered and enabled, the primary colour at 8 %; else suggested
// and enabled, the brand colour at 16 %; else none.
//
// A caller may ask where the parts lie: the layout callback hears each part's
// frame in the row's coordinates whenever it changes.
class PanelActionRow : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    struct Setup {
        QString title{};
        QString symbol{};
        OrbelBrand brand;
        bool isDisabled = false;
        // Overrides the pointer when set.
        std::optional<bool> hovered{};
        bool isSuggested = false;
        std::optional<QString> badge{};
        std::optional<QString> value{};
        std::optional<QString> hint{};
        // Without it the row is a display only.
        std::function<void()> perform{};
    };

    using LayoutCallback = std::function<void(PanelActionRowPart, QRect)>;

    // Takes ownership of `trailing`, which may be null.
    PanelActionRow(Setup setup, QWidget *trailing, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    const Setup &setup() const { return m_setup; }
    void setHovered(std::optional<bool> hovered);
    void setSuggested(bool suggested);
    bool isHighlighted() const;
    QColor fillColor() const;

    // Reports every part's frame now, and again each time one changes.
    void setOnLayout(LayoutCallback onLayout);

    QAbstractButton *actionButton() const;
    SymbolView *icon() const { return m_icon; }
    TextLabel *titleLabel() const { return m_title; }
    QWidget *trailing() const { return m_trailing; }
    QWidget *part(PanelActionRowPart part) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void environmentChanged() override;

private:
    void setPointerOver(bool over);
    void reportFrames();

    Setup m_setup;
    bool m_pointerOver = false;
    QWidget *m_action;
    SymbolView *m_icon;
    QWidget *m_text;
    TextLabel *m_title;
    QLabel *m_badge = nullptr;
    QWidget *m_trailing;
    LayoutCallback m_onLayout;
    std::array<std::optional<QRect>, 4> m_reported{};
};

} // namespace orbel
