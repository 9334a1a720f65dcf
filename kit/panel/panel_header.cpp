#include "panel_header.h"

#include "accessibility_hidden.h"
#include "app_icon.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "orbel_switch.h"
#include "text_label.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

namespace {

// The filled circle before the status line.
class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget *parent) : QWidget(parent)
    {
        setAccessibilityHidden(this);
        setFixedSize(8, 8);
    }

    QColor color;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawEllipse(QRectF(rect()));
    }
};

} // namespace

PanelHeader::PanelHeader(const OrbelBrand &brand, const QString &status, const QColor &dotColor, Binding<bool> isOn,
                         bool isSwitchEnabled, const OrbelEnvironment &environment, QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(brand)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(OrbelMetrics::headerSpacing);

    row->addWidget(new AppIcon(OrbelMetrics::panelAppIconSize, this), 0, Qt::AlignVCenter);

    // The name and status keep their natural height, centred beside the icon.
    auto *texts = new QWidget(this);
    texts->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto *column = new QVBoxLayout(texts);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(OrbelMetrics::gapXS);
    m_name = new TextLabel(brand.name(), texts);
    m_name->setSizePolicy(TextLabel::growingPolicy());
    column->addWidget(m_name);

    auto *statusRow = new QHBoxLayout;
    statusRow->setSpacing(OrbelMetrics::gapXS);
    auto *dot = new StatusDot(texts);
    dot->color = dotColor;
    m_dot = dot;
    m_status = new TextLabel(status, texts);
    statusRow->addWidget(m_dot, 0, Qt::AlignVCenter);
    statusRow->addWidget(m_status, 1, Qt::AlignVCenter);
    column->addLayout(statusRow);
    row->addWidget(texts, 1, Qt::AlignVCenter);

    row->addSpacing(OrbelMetrics::gapS);

    m_switch = new OrbelSwitch(brand.name(), environment, this);
    m_switch->setMinimumSize(OrbelMetrics::switchMinSize, OrbelMetrics::switchMinSize);
    m_switch->setEnabled(isSwitchEnabled);
    m_switch->setBinding(std::move(isOn));
    row->addWidget(m_switch, 0, Qt::AlignVCenter);
    connect(m_switch, &OrbelSwitch::toggled, this, &PanelHeader::updateHelp);

    environmentChanged();
    updateHelp();
}

void PanelHeader::setStatus(const QString &status)
{
    m_status->setText(status);
}

QString PanelHeader::status() const
{
    return m_status->text();
}

void PanelHeader::setDotColor(const QColor &color)
{
    auto *dot = static_cast<StatusDot *>(m_dot);
    if (dot->color == color)
        return;
    dot->color = color;
    dot->update();
}

QColor PanelHeader::dotColor() const
{
    return static_cast<StatusDot *>(m_dot)->color;
}

void PanelHeader::setSwitchEnabled(bool enabled)
{
    m_switch->setEnabled(enabled);
}

void PanelHeader::updateHelp()
{
    m_switch->setToolTip(m_switch->isChecked() ? tr("Turn off") : tr("Turn on"));
}

void PanelHeader::environmentChanged()
{
    const TextSize size = environment().textSize;
    m_name->setFont(textStyleFont(TextStyle::Headline, size));
    m_status->setFont(textStyleFont(TextStyle::Callout, size));
    // Two lines hold every status at the everyday sizes; the largest ones
    // take more lines rather than a smaller or shortened status.
    m_status->setMaxLines(isAccessibilitySize(size) ? 0 : 2);
    const ColorScheme scheme = environment().scheme;
    m_name->setColor(BrandPalette::primary(scheme));
    m_status->setColor(BrandPalette::primary70(scheme));
    m_switch->setTint(m_brand.accent(scheme));
}

} // namespace orbel
