#include "preferences_header.h"

#include "accessibility_heading.h"
#include "app_icon.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "text_label.h"

#include <QHBoxLayout>

namespace orbel {

PreferencesHeader::PreferencesHeader(const QString &title, bool showsIcon, const OrbelEnvironment &environment,
                                     QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(OrbelMetrics::headerSpacing);
    // At least as tall as the icon, with or without it.
    row->addStrut(OrbelMetrics::headerMinHeight);
    if (showsIcon) {
        m_icon = new AppIcon(OrbelMetrics::appIconSize, this);
        row->addWidget(m_icon, 0, Qt::AlignVCenter);
    }
    m_title = new ParagraphLabel(title, this);
    setAccessibilityHeading(m_title);
    row->addWidget(m_title, 1, Qt::AlignVCenter);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

QString PreferencesHeader::title() const
{
    return m_title->text();
}

void PreferencesHeader::setTitle(const QString &title)
{
    m_title->setText(title);
}

void PreferencesHeader::environmentChanged()
{
    m_title->setFont(orbelFont(OrbelFont::Title, environment().textSize));
    m_title->setColor(BrandPalette::primary(environment().scheme));
}

} // namespace orbel
