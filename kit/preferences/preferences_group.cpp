#include "preferences_group.h"

#include "accessibility_heading.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "paragraph_label.h"
#include "preferences_focus_ring.h"
#include "text_label.h"

#include <QPainter>
#include <QVBoxLayout>

namespace orbel {

namespace {

constexpr int cardVerticalPadding = 8;
constexpr int cardHorizontalPadding = 16;

} // namespace

PreferencesGroup::PreferencesGroup(const QString &title, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(OrbelMetrics::gapS);

    m_title = new ParagraphLabel(title, this);
    setAccessibilityHeading(m_title);
    stack->addWidget(m_title);

    m_card = new QWidget(this);
    m_rows = new QVBoxLayout(m_card);
    // The rows carry the rest of the horizontal padding as room for rings.
    m_rows->setContentsMargins(cardHorizontalPadding - focusRingRoom, cardVerticalPadding,
                               cardHorizontalPadding - focusRingRoom, cardVerticalPadding);
    m_rows->setSpacing(0);
    stack->addWidget(m_card);

    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    environmentChanged();
}

void PreferencesGroup::addRow(QWidget *row)
{
    insertRow(-1, row);
}

void PreferencesGroup::insertRow(int index, QWidget *row)
{
    if (!row)
        return;
    row->setParent(m_card);
    row->setContentsMargins(focusRingRoom, 0, focusRingRoom, 0);
    m_rows->insertWidget(index, row);
    propagateEnvironment(this, childEnvironment());
}

QString PreferencesGroup::title() const
{
    return m_title->text();
}

void PreferencesGroup::environmentChanged()
{
    m_title->setFont(orbelFont(OrbelFont::TextSemibold, environment().textSize));
    m_title->setColor(BrandPalette::primary(environment().scheme));
    update();
}

void PreferencesGroup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrandPalette::primary06(environment().scheme));
    const qreal radius = OrbelMetrics::cardCornerRadius;
    painter.drawRoundedRect(QRectF(m_card->geometry()), radius, radius);
}

} // namespace orbel
