#pragma once

#include "brand_focus_ring.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "orbel_metrics.h"

#include <QWidget>

class QStyle;

namespace orbel {

class KeyboardUseTracker;

// The frame of preferences-style pages: a fixed width, fixed margins, the
// brand's tinted background, the brand accent as the tint of every control
// inside, and the rule that focus rings show only to keyboard users.
//
// The chrome keeps its window's focus session: a key press while the window
// is active marks the keyboard as used, and each activation of the window
// clears the mark. The content receives the mark as the environment's
// `keyboardUsed`, so the kit's rings appear from the first key press on and
// never for a pointer user. The desktop style's own focus frames are switched
// off inside the chrome, so the kit's rings are the only focus indication.
//
// The content covers the whole chrome: the chrome sets its contents margins
// to the paddings (48 above, 32 left, right and below), so the content's own
// layout fills the column while focus rings of controls at the column's edges
// have room in the margins. Only the width is fixed; the height follows the
// content.
class PreferencesChrome : public QWidget, public EnvironmentAware {
    Q_OBJECT
    Q_PROPERTY(bool keyboardUsed READ keyboardUsed NOTIFY keyboardUsedChanged)

public:
    // Padding above the content, on top of the margin on all four edges.
    static constexpr int topPadding = OrbelMetrics::chromeTopPadding;
    static constexpr int margin = OrbelMetrics::windowMargin;

    // Takes ownership of `content`.
    PreferencesChrome(const OrbelBrand &brand, int width, QWidget *content, const OrbelEnvironment &environment,
                      QWidget *parent = nullptr);

    const OrbelBrand &brand() const { return m_brand; }
    QWidget *content() const { return m_content; }
    // Where the content's layout lays out, in the chrome's coordinates.
    QRect column() const;

    // A key has been pressed in this window since it last became active.
    bool keyboardUsed() const;
    const BrandFocusSession &session() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The contents margins the chrome gives its content.
    static QMargins contentMargins();

Q_SIGNALS:
    void keyboardUsedChanged(bool keyboardUsed);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void environmentChanged() override;
    OrbelEnvironment childEnvironment() const override;

private:
    void switchOffFocusFrames(QWidget *root);

    OrbelBrand m_brand;
    int m_width;
    QWidget *m_content;
    KeyboardUseTracker *m_tracker;
    QStyle *m_frameless;
    bool m_pendingSweep = false;
};

} // namespace orbel
