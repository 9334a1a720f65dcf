#pragma once

#include "binding.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "orbel_metrics.h"
#include "welcome_button.h"

#include <QWidget>

#include <optional>

class QScrollArea;

namespace orbel {

class PreferencesChrome;
class PreferencesHeader;
class PreferencesToggleRow;
class TextLabel;

// One step of a getting-started window, 560 wide: the application icon and a
// large title, a lead paragraph, a card for the step (a numbered badge, the
// step's title, an optional step label with progress dots, and the caller's
// card content), the privacy lines, an "Open at Login" switch and a footer of
// up to three buttons, the prominent one rightmost and answering Return.
//
// The page measures its two halves (everything above the switch, and the
// switch with the footer) and tells the fixed window that hosts it its ideal
// size, 560 × (upper + 80 + 32 + lower). When the window offers less height
// than the halves need, the upper half scrolls and the switch and buttons stay
// in view below it.
class WelcomeStepsLayout : public QWidget, public EnvironmentAware {
    Q_OBJECT
    Q_PROPERTY(int idealHeight READ idealHeight NOTIFY idealHeightChanged)

public:
    static constexpr int pageWidth = OrbelMetrics::welcomeWidth;
    static constexpr int columnWidth = OrbelMetrics::contentColumnWidth;
    // Space between the two halves, and between the parts of the upper half.
    static constexpr int spacing = OrbelMetrics::stepsSpacing;
    // What the chrome adds to the content's height: 16 + 32 above, 32 below.
    static constexpr int chromeHeight = OrbelMetrics::welcomeHeightAllowance;

    struct Setup {
        OrbelBrand brand;
        QString title{};
        QString lead{};
        // 1-based; shown in the badge and picks the highlighted dot.
        int step = 1;
        int stepCount = 1;
        // Without it, neither the label nor the progress dots show.
        std::optional<QString> stepLabel{};
        QString stepTitle{};
        // A green check takes the place of the number.
        bool isStepDone = false;
        QString privacy{};
        QString privacySymbol{};
        Binding<bool> opensAtLogin{};
        std::optional<WelcomeStepsButton> skip{};
        std::optional<WelcomeStepsButton> back{};
        WelcomeStepsButton primary{};
        std::optional<QString> note{};
    };

    enum class Arrangement { Plain, Scrolling };

    // Takes ownership of `card`, the content of the step card. Its paragraphs
    // are best ParagraphLabels, which keep their whole height at large text.
    WelcomeStepsLayout(Setup setup, QWidget *card, const OrbelEnvironment &environment, QWidget *parent = nullptr);

    // The halves' heights as last measured; 0 until the page is first shown.
    int stepHeight() const { return m_stepHeight; }
    int footerHeight() const { return m_footerHeight; }
    int idealHeight() const;
    Arrangement arrangement() const { return m_arrangement; }

    // Shows the switch's bound value again after its owner changed it.
    void syncLoginSwitch();

    PreferencesChrome *chrome() const { return m_chrome; }
    PreferencesHeader *header() const { return m_header; }
    // The badge with the step number or the check.
    QWidget *badge() const { return m_badge; }
    // Absent without a step label.
    TextLabel *stepLabel() const { return m_stepLabel; }
    QWidget *card() const { return m_card; }
    QScrollArea *scrollArea() const { return m_scroll; }
    PreferencesToggleRow *loginRow() const { return m_loginRow; }
    WelcomeButton *primaryButton() const { return m_primary; }
    TextLabel *noteLabel() const { return m_note; }

    // 560 wide and as tall as both halves need, measured now.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void idealHeightChanged(int idealHeight);
    void arrangementChanged(WelcomeStepsLayout::Arrangement arrangement);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void environmentChanged() override;

private:
    friend class WelcomeStepsBody;

    QWidget *buildUpperHalf(const Setup &setup, QWidget *card, const OrbelEnvironment &environment);
    QWidget *buildLowerHalf(Setup &setup, const OrbelEnvironment &environment);
    int naturalStepHeight() const;
    int naturalFooterHeight() const;
    void measure();
    void scheduleMeasure();
    void reportIdealSize(int height);
    void arrange();

    OrbelBrand m_brand;
    PreferencesChrome *m_chrome = nullptr;
    QWidget *m_body = nullptr;
    QScrollArea *m_scroll = nullptr;
    QWidget *m_upper = nullptr;
    QWidget *m_lower = nullptr;
    PreferencesHeader *m_header = nullptr;
    TextLabel *m_lead = nullptr;
    QWidget *m_badge = nullptr;
    TextLabel *m_stepTitle = nullptr;
    TextLabel *m_stepLabel = nullptr;
    QWidget *m_card = nullptr;
    QWidget *m_cardFrame = nullptr;
    QWidget *m_privacy = nullptr;
    PreferencesToggleRow *m_loginRow = nullptr;
    WelcomeButton *m_primary = nullptr;
    TextLabel *m_note = nullptr;

    int m_stepHeight = 0;
    int m_footerHeight = 0;
    Arrangement m_arrangement = Arrangement::Plain;
    bool m_shownOnce = false;
    bool m_measurePending = false;
};

} // namespace orbel
