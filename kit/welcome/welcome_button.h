#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"
#include "welcome_steps_button.h"

#include <QAbstractButton>

namespace orbel {

class BrandFocusRing;
class HoverTracker;

// Draws one welcome footer button as a capsule: the prominent one filled with
// the brand colour and labelled in white or black, whichever reads better on
// that colour; the others on a soft bezel in the primary colour. The title
// stays on one line and the button grows to fit it. A disabled prominent
// button shows its fill at half strength; no disabled button answers clicks
// or keys. Each wears the kit's capsule focus ring.
class WelcomeButton : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    WelcomeButton(WelcomeStepsButton button, const OrbelBrand &brand, bool prominent,
                  const OrbelEnvironment &environment, QWidget *parent = nullptr);

    const WelcomeStepsButton &button() const { return m_button; }
    // The label's colour on the prominent fill.
    QColor labelColor() const;
    // The capsule's fill; transparent for a bordered button at rest.
    QColor fillColor() const;
    // Return (and Enter) press the button from anywhere in its window.
    void setDefault(bool isDefault);
    bool isDefault() const { return m_isDefault; }
    BrandFocusRing *focusRing() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The label colour of a prominent button on `brand`'s colour.
    static QColor labelColor(const OrbelBrand &brand);

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    int labelHeight() const;

    WelcomeStepsButton m_button;
    OrbelBrand m_brand;
    bool m_prominent;
    HoverTracker *m_hover = nullptr;
    bool m_isDefault = false;
    QList<QObject *> m_shortcuts;
};

} // namespace orbel
