#include "notice_card.h"

#include "bordered_button.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace orbel {

NoticeCard::NoticeCard(const QString &symbol, const QString &title, const QString &message,
                       const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(OrbelMetrics::cardPadding, OrbelMetrics::cardPadding, OrbelMetrics::cardPadding,
                               OrbelMetrics::cardPadding);
    layout->setSpacing(OrbelMetrics::gapS);

    auto *headerRow = new QHBoxLayout;
    headerRow->setSpacing(6);
    m_icon = new SymbolView(symbol, {}, this);
    m_title = new TextLabel(title, this);
    m_title->setBesideSymbol(true);
    headerRow->addWidget(m_icon, 0, Qt::AlignTop);
    headerRow->addWidget(m_title, 1, Qt::AlignTop);
    layout->addLayout(headerRow);

    m_message = new TextLabel(message, this);
    // It wraps and keeps its whole height, however long the message.
    m_message->setSizePolicy(TextLabel::growingPolicy());
    layout->addWidget(m_message);

    m_actions = new QWidget(this);
    m_actionsLayout = new QHBoxLayout(m_actions);
    m_actionsLayout->setContentsMargins(0, 0, 0, 0);
    m_actionsLayout->setSpacing(OrbelMetrics::gapS);
    m_actionsLayout->addStretch(1);
    m_actions->hide();
    layout->addWidget(m_actions);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    environmentChanged();
}

BorderedButton *NoticeCard::addAction(const QString &title)
{
    auto *button = new BorderedButton(title, environment(), m_actions);
    button->setControlSize(BorderedButton::ControlSize::Small);
    button->setTextRole(OrbelFont::Detail);
    addAction(button);
    return button;
}

void NoticeCard::addAction(QWidget *action)
{
    // Before the trailing stretch, so the buttons stay at the leading edge.
    m_actionsLayout->insertWidget(m_actionsLayout->count() - 1, action, 0, Qt::AlignVCenter);
    m_actions->show();
}

void NoticeCard::setTitle(const QString &title)
{
    m_title->setText(title);
}

void NoticeCard::setMessage(const QString &message)
{
    m_message->setText(message);
}

QString NoticeCard::title() const
{
    return m_title->text();
}

QString NoticeCard::message() const
{
    return m_message->text();
}

void NoticeCard::environmentChanged()
{
    const TextSize size = environment().textSize;
    const QFont header = orbelFont(OrbelFont::DetailSemibold, size);
    m_icon->setFont(header);
    m_title->setFont(header);
    m_message->setFont(textStyleFont(TextStyle::Callout, size));
    const ColorScheme scheme = environment().scheme;
    m_icon->setTint(BrandPalette::attention(scheme));
    m_title->setColor(BrandPalette::primary(scheme));
    m_message->setColor(BrandPalette::primary70(scheme));
    update();
}

void NoticeCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const ColorScheme scheme = environment().scheme;
    const qreal radius = OrbelMetrics::cardCornerRadius;
    // The attention colour at 12 % under the card's own 6 % fill.
    QColor tint = BrandPalette::attention(scheme);
    tint.setAlphaF(0.12f);
    painter.setBrush(tint);
    painter.drawRoundedRect(rect(), radius, radius);
    painter.setBrush(BrandPalette::primary06(scheme));
    painter.drawRoundedRect(rect(), radius, radius);
}

} // namespace orbel
