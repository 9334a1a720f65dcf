#pragma once

#include "panel_card.h"

namespace orbel {

// A card laid out like PanelCard but on glass: a translucent fill of the
// scheme's background with a hairline edge, for content over the brand tint.
class GlassCard : public PanelCard {
    Q_OBJECT

public:
    GlassCard(int spacing, const OrbelEnvironment &environment, QWidget *parent = nullptr);

protected:
    void paintBackground(QPainter &painter, const QRectF &rect) override;
};

} // namespace orbel
