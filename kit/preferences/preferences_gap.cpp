#include "preferences_gap.h"

#include "orbel_metrics.h"

namespace orbel {

PreferencesGap::PreferencesGap(QWidget *parent) : QWidget(parent)
{
    setFixedHeight(OrbelMetrics::gapL);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

} // namespace orbel
