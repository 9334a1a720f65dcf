#include "privacy_line.h"

#include "brand_palette.h"
#include "orbel_brand.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>

namespace orbel {

PrivacyLine::PrivacyLine(const QString &text, const QString &symbol, const OrbelEnvironment &environment,
                         QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(OrbelMetrics::gapS);
    m_icon = new SymbolView(symbol, {}, this);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    m_text = new TextLabel(text, this);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    m_text->setBesideSymbol(true);
    layout->addWidget(m_text, 1, Qt::AlignTop);
    environmentChanged();
}

QString PrivacyLine::text() const
{
    return m_text->text();
}

QString PrivacyLine::symbol() const
{
    return m_icon->symbol();
}

void PrivacyLine::environmentChanged()
{
    const QColor green = PrivacyGreen::color(environment().scheme);
    m_icon->setTint(green);
    m_text->setColor(green);
}

// The brand's own line, built here so the brand tokens need no control.
PrivacyLine *OrbelBrand::privacyLine(const OrbelEnvironment &environment, QWidget *parent) const
{
    return new PrivacyLine(privacyText(), privacySymbol(), environment, parent);
}

} // namespace orbel
