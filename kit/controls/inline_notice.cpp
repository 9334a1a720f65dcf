#include "inline_notice.h"

#include "accessibility_element.h"
#include "accessibility_hidden.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "symbol_view.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QPainter>

namespace orbel {

InlineNotice::InlineNotice(NoticeKind kind, const QString &text, const OrbelEnvironment &environment, QWidget *trailing,
                           QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_kind(kind), m_hasTrailing(trailing != nullptr)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(OrbelMetrics::cardPadding, OrbelMetrics::cardPadding, OrbelMetrics::cardPadding,
                               OrbelMetrics::cardPadding);
    layout->setSpacing(OrbelMetrics::gapM);

    m_icon = new SymbolView(symbolFor(kind), {}, this);
    m_icon->setFrameWidth(OrbelMetrics::symbolFrameWidth);
    m_text = new TextLabel(text, this);
    m_text->setBesideSymbol(true);
    layout->addWidget(m_icon, 0, Qt::AlignTop);
    layout->addWidget(m_text, 1, Qt::AlignTop);
    if (trailing) {
        trailing->setParent(this);
        layout->addWidget(trailing, 0, Qt::AlignTop);
    } else {
        // Read as one element: the notice carries the words, its parts stay silent.
        setAccessibleName(spokenText(text));
        setAccessibilityHidden(m_text);
    }

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    environmentChanged();
}

QString InlineNotice::text() const
{
    return m_text->text();
}

QString InlineNotice::symbolFor(NoticeKind kind)
{
    switch (kind) {
    case NoticeKind::Warning:
        return QStringLiteral("exclamationmark.triangle");
    case NoticeKind::Waiting:
        return QStringLiteral("clock");
    case NoticeKind::Info:
        return QStringLiteral("info.circle");
    }
    return {};
}

void InlineNotice::environmentChanged()
{
    // The symbol and the text take the notice's font.
    setFont(orbelFont(OrbelFont::Support, environment().textSize));
    const ColorScheme scheme = environment().scheme;
    m_icon->setTint(m_kind == NoticeKind::Warning ? BrandPalette::attention(scheme) : BrandPalette::primary70(scheme));
    m_text->setColor(BrandPalette::primary(scheme));
    update();
}

void InlineNotice::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(BrandPalette::primary06(environment().scheme));
    const qreal radius = OrbelMetrics::inlineNoticeCornerRadius;
    painter.drawRoundedRect(rect(), radius, radius);
}

} // namespace orbel
