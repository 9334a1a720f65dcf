#include "preferences_pane_layout.h"

#include "accessibility_element.h"
#include "app_icon.h"
#include "brand_palette.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "preferences_chrome.h"
#include "preferences_focus_ring.h"
#include "preferences_header.h"
#include "symbol_table.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <utility>

namespace orbel {

namespace {

constexpr int listSpacing = 4;
constexpr int rowSpacing = 8;
constexpr int rowPadding = 12;
constexpr int rowCornerRadius = 12;
constexpr int ringCornerRadius = 16;
constexpr qreal selectedFillOpacity = 0.25;
constexpr qreal smallestTitleScale = 0.8;

// One row of the pane list. The whole rounded row is the button, so a click
// on its empty part selects the pane too.
class PaneButton final : public QAbstractButton, public EnvironmentAware {
public:
    PaneButton(PreferencesPaneLayout::Pane pane, const OrbelBrand &brand, const OrbelEnvironment &environment,
               QWidget *parent)
        : QAbstractButton(parent), EnvironmentAware(environment), m_pane(std::move(pane)), m_brand(brand)
    {
        setText(m_pane.title);
        setAccessibilityElement(this, QAccessible::Button);
        setAccessibleName(m_pane.title);
        setAccessibilitySelected(this, false);
        setFixedSize(PreferencesPaneLayout::sidebarWidth, OrbelMetrics::paneRowHeight);
        preferencesFocusRing(this, RingShape::roundedRect(ringCornerRadius), environment);
    }

    void setSelected(bool selected)
    {
        if (selected == m_selected)
            return;
        m_selected = selected;
        setAccessibilitySelected(this, selected);
        update();
    }

protected:
    void environmentChanged() override { update(); }

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const ColorScheme scheme = environment().scheme;
        const QColor accent = m_brand.accent(scheme);
        if (m_selected) {
            QColor fill = accent;
            fill.setAlphaF(float(selectedFillOpacity));
            painter.setPen(Qt::NoPen);
            painter.setBrush(fill);
            painter.drawRoundedRect(QRectF(rect()), rowCornerRadius, rowCornerRadius);
        }

        QFont font = orbelFont(m_selected ? OrbelFont::TextSemibold : OrbelFont::Text, environment().textSize);
        const int symbolSide = SymbolTable::contains(m_pane.symbol) ? qMin(height(), QFontMetrics(font).height()) : 0;
        const QRectF symbolFrame(rowPadding, 0, OrbelMetrics::symbolFrameWidth, height());
        QRectF symbol(0, 0, symbolSide, symbolSide);
        symbol.moveCenter(symbolFrame.center());
        SymbolTable::paint(painter, symbol, m_pane.symbol, m_selected ? BrandPalette::primary(scheme) : accent);

        // One line: the title shrinks down to 80 % before it is cut short.
        const qreal left = symbolFrame.right() + rowSpacing;
        const qreal room = width() - rowPadding - left;
        const qreal natural = QFontMetricsF(font).horizontalAdvance(m_pane.title);
        if (natural > room && room > 0) {
            const qreal scale = std::max(smallestTitleScale, room / natural);
            if (font.pixelSize() > 0)
                font.setPixelSize(std::max(1, int(font.pixelSize() * scale)));
            else
                font.setPointSizeF(font.pointSizeF() * scale);
        }
        painter.setFont(font);
        painter.setPen(BrandPalette::primary(scheme));
        const QString shown = QFontMetricsF(font).elidedText(m_pane.title, Qt::ElideRight, room);
        painter.drawText(QRectF(left, 0, room, height()), Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                         shown);
    }

private:
    PreferencesPaneLayout::Pane m_pane;
    OrbelBrand m_brand;
    bool m_selected = false;
};

} // namespace

PreferencesPaneLayout::PreferencesPaneLayout(const OrbelBrand &brand, QList<Pane> panes, Binding<int> selection,
                                             std::function<QWidget *()> content, const OrbelEnvironment &environment,
                                             QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_brand(brand), m_panes(std::move(panes)),
      m_selection(std::move(selection)), m_build(std::move(content))
{
    // The rows and the detail sit straight in the body, so focus rings at a
    // column's edge have the chrome's margins to draw in.
    m_body = new QWidget;
    auto *columns = new QHBoxLayout(m_body);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->setSpacing(spacing);

    auto *sidebar = new QVBoxLayout;
    sidebar->setContentsMargins(0, 0, 0, 0);
    sidebar->setSpacing(0);
    sidebar->addStrut(sidebarWidth);
    m_icon = new AppIcon(OrbelMetrics::appIconSize, m_body);
    sidebar->addWidget(m_icon, 0, Qt::AlignLeading | Qt::AlignTop);
    sidebar->addSpacing(spacing);
    auto *list = new QVBoxLayout;
    list->setSpacing(listSpacing);
    for (qsizetype index = 0; index < m_panes.size(); ++index) {
        auto *button = new PaneButton(m_panes.at(index), m_brand, environment, m_body);
        connect(button, &QAbstractButton::clicked, this, [this, index] { select(int(index)); });
        list->addWidget(button);
        m_buttons.append(button);
    }
    sidebar->addLayout(list);
    sidebar->addStretch(1);
    columns->addLayout(sidebar, 0);

    m_detail = new QVBoxLayout;
    m_detail->setSpacing(spacing);
    m_detail->addStrut(detailWidth);
    m_header = new PreferencesHeader(QString(), false, environment, m_body);
    m_detail->addWidget(m_header);
    m_detail->addStretch(1);
    columns->addLayout(m_detail, 1);

    m_chrome = new PreferencesChrome(m_brand, pageWidth, m_body, environment, this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chrome);
    // The height follows the ideal height at the fixed width.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    syncFromBinding();
}

int PreferencesPaneLayout::selectedIndex() const
{
    const int index = m_selection ? m_selection.get() : -1;
    return index >= 0 && index < m_panes.size() ? index : -1;
}

QColor PreferencesPaneLayout::accent() const
{
    return m_brand.accent(environment().scheme);
}

void PreferencesPaneLayout::select(int index)
{
    if (m_selection)
        m_selection.set(index);
    syncFromBinding();
}

void PreferencesPaneLayout::syncFromBinding()
{
    const int selected = selectedIndex();
    for (qsizetype index = 0; index < m_buttons.size(); ++index)
        static_cast<PaneButton *>(m_buttons.at(index))->setSelected(index == selected);
    m_header->setTitle(selected >= 0 ? m_panes.at(selected).title : QString());

    // The content is built afresh for the selection, whatever it is.
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
        m_content = nullptr;
    }
    m_content = m_build ? m_build() : nullptr;
    if (m_content) {
        m_content->setParent(m_body);
        m_detail->insertWidget(m_detail->indexOf(m_header) + 1, m_content);
        m_content->show();
        // The new content hears the chrome's environment, keyboard use included.
        m_chrome->setEnvironment(m_chrome->environment());
    }
}

QSize PreferencesPaneLayout::sizeHint() const
{
    return {pageWidth, heightForWidth(pageWidth)};
}

QSize PreferencesPaneLayout::minimumSizeHint() const
{
    return sizeHint();
}

void PreferencesPaneLayout::environmentChanged()
{
    update();
}

} // namespace orbel
