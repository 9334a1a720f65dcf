#pragma once

#include "binding.h"
#include "orbel_brand.h"
#include "orbel_environment.h"

#include <QWidget>

#include <array>
#include <functional>
#include <variant>

namespace orbel {

class PanelFooter;
class PanelHeader;

// What the panel's status dot says.
enum class PanelStatus { Working, Off, Attention, Recording };

inline constexpr std::array<PanelStatus, 4> allPanelStatuses{PanelStatus::Working, PanelStatus::Off,
                                                             PanelStatus::Attention, PanelStatus::Recording};

// Green while working, secondary text colour when off, the attention colour,
// and red while recording.
QColor panelStatusColor(PanelStatus status, ColorScheme scheme);

// The frame of a tray drop-down panel, 368 pixels wide: a header with the
// product, its status and the master switch; the caller's content; a footer
// with the privacy lines, the version and the round buttons. With a status dot
// the panel lies on the brand background and tints its content with the brand
// accent; with a plain colour dot it has neither.
class OrbelPanel : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    using Dot = std::variant<PanelStatus, QColor>;

    struct Setup {
        OrbelBrand brand;
        QString status{};
        Dot dot = PanelStatus::Off;
        // The master switch.
        Binding<bool> isOn{};
        // The caller's own privacy sentence and its symbol.
        QString privacy{};
        QString privacySymbol{};
        std::function<void()> showGuide{};
        // Without it the Preferences button (and Ctrl+comma) is left out.
        std::function<void()> showPreferences{};
        std::function<void(bool)> preferencesFocusChanged{};
        // Re-read the kit's login item each time the panel is shown.
        bool refreshLoginItemOnAppear = false;
        bool isSwitchEnabled = true;
        // What Quit (and Ctrl+Q) does; without it the application is asked
        // to quit.
        std::function<void()> quit{};

        // A panel whose dot is a plain colour: no preferences, the login item
        // refreshed on appearance, the switch always enabled.
        static Setup withDotColor(OrbelBrand brand, QString status, QColor dotColor, Binding<bool> isOn,
                                  QString privacy, QString privacySymbol, std::function<void()> showGuide);
    };

    // Takes ownership of `content`.
    OrbelPanel(Setup setup, QWidget *content, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    void setStatus(const QString &status);
    void setDot(const Dot &dot);
    const Dot &dot() const { return m_dot; }
    // The dot's colour in the current scheme.
    QColor dotColor() const;
    void setSwitchEnabled(bool enabled);
    // Shows the master switch's bound value again.
    void syncSwitch();

    const OrbelBrand &brand() const { return m_brand; }
    PanelHeader *header() const { return m_header; }
    PanelFooter *footer() const { return m_footer; }
    QWidget *content() const { return m_content; }

    // 368 wide and as tall as the content needs at that width.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void environmentChanged() override;
    OrbelEnvironment childEnvironment() const override;

private:
    bool hasStatusDot() const { return std::holds_alternative<PanelStatus>(m_dot); }

    OrbelBrand m_brand;
    Dot m_dot;
    bool m_refreshLoginItemOnAppear;
    PanelHeader *m_header;
    QWidget *m_content;
    PanelFooter *m_footer;
};

} // namespace orbel
