#include "preferences_note.h"

#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "text_label.h"

#include <QVBoxLayout>

namespace orbel {

PreferencesNote::PreferencesNote(const QString &text, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, OrbelMetrics::gapS);
    m_label = new ParagraphLabel(text, this);
    layout->addWidget(m_label);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

QString PreferencesNote::text() const
{
    return m_label->text();
}

void PreferencesNote::setText(const QString &text)
{
    m_label->setText(text);
}

void PreferencesNote::environmentChanged()
{
    m_label->setFont(orbelFont(OrbelFont::Support, environment().textSize));
    m_label->setColor(BrandPalette::primary70(environment().scheme));
}

} // namespace orbel
