#include "preferences_choice_menu.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "hover_tracker.h"
#include "orbel_font.h"
#include "preferences_focus_ring.h"

#include <QActionGroup>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <utility>

namespace orbel {

namespace {

constexpr int regularPadding = 16;
constexpr int compactPadding = 10;
constexpr int chevronGap = 8;
constexpr qreal chevronWidth = 7;

} // namespace

PreferencesChoiceMenu::PreferencesChoiceMenu(const QString &title, int count, std::function<QString(int)> label,
                                             Binding<int> selection, const OrbelEnvironment &environment,
                                             QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment), m_title(title), m_count(count), m_label(std::move(label)),
      m_selection(std::move(selection))
{
    m_hover = new HoverTracker(this);
    environmentChanged();
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(spokenText(title));
    connect(this, &QAbstractButton::clicked, this, &PreferencesChoiceMenu::openMenu);
    preferencesFocusRing(this, RingShape::capsule(), environment);
    syncFromBinding();
}

BrandFocusRing *PreferencesChoiceMenu::focusRing() const
{
    return preferencesFocusRingOf(this);
}

int PreferencesChoiceMenu::selectedIndex() const
{
    return m_selection ? m_selection.get() : -1;
}

QString PreferencesChoiceMenu::selectedLabel() const
{
    const int index = selectedIndex();
    return m_label && index >= 0 && index < m_count ? m_label(index) : QString();
}

void PreferencesChoiceMenu::syncFromBinding()
{
    setText(selectedLabel());
    // Without a title of its own the label is already the button's name.
    setAccessibleDescription(m_title.isEmpty() ? QString() : spokenText(selectedLabel()));
    updateGeometry();
    update();
}

QMenu *PreferencesChoiceMenu::buildMenu()
{
    auto *menu = new QMenu(this);
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const int selected = selectedIndex();
    for (int index = 0; index < m_count; ++index) {
        QAction *action = menu->addAction(m_label ? m_label(index) : QString());
        action->setCheckable(true);
        action->setChecked(index == selected);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, index] {
            if (m_selection)
                m_selection.set(index);
            syncFromBinding();
        });
    }
    return menu;
}

void PreferencesChoiceMenu::openMenu()
{
    QMenu *menu = buildMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(mapToGlobal(QPoint(0, height())));
}

void PreferencesChoiceMenu::setCompact()
{
    m_compact = true;
    environmentChanged();
}

void PreferencesChoiceMenu::environmentChanged()
{
    setFont(orbelFont(m_compact ? OrbelFont::Detail : OrbelFont::Support, environment().textSize));
    updateGeometry();
    update();
}

int PreferencesChoiceMenu::controlHeight() const
{
    return m_compact ? qMax(24, fontMetrics().height() + 6) : qMax(32, fontMetrics().height() + 10);
}

int PreferencesChoiceMenu::horizontalPadding() const
{
    return m_compact ? compactPadding : regularPadding;
}

QSize PreferencesChoiceMenu::sizeHint() const
{
    // Whole pixels rounded up: a label narrower than its real advance would
    // be cut short.
    const int label = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    const int width = label + chevronGap + int(chevronWidth) + 2 * horizontalPadding();
    return {width, controlHeight()};
}

void PreferencesChoiceMenu::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const ColorScheme scheme = environment().scheme;
    if (!isEnabled())
        painter.setOpacity(0.4);

    // The same soft bezel as the kit's bordered buttons.
    const QRectF bezel(rect());
    const QColor fill = BrandPalette::bezelFill(scheme, isDown(), m_hover->isHovered() && isEnabled());
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bezel, bezel.height() / 2, bezel.height() / 2);

    const QColor ink = BrandPalette::primary(scheme);
    const qreal textWidth = bezel.width() - 2 * horizontalPadding() - chevronGap - chevronWidth;
    painter.setPen(ink);
    painter.setFont(font());
    painter.drawText(QRectF(horizontalPadding(), 0, textWidth, bezel.height()),
                     Qt::AlignLeading | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, int(textWidth)));

    // Up and down chevrons: the sign of a pop-up menu.
    const qreal x = bezel.right() - horizontalPadding() - chevronWidth;
    const qreal mid = bezel.center().y();
    const qreal half = chevronWidth / 2;
    QPainterPath chevrons;
    chevrons.moveTo(x, mid - 2);
    chevrons.lineTo(x + half, mid - 2 - half);
    chevrons.lineTo(x + chevronWidth, mid - 2);
    chevrons.moveTo(x, mid + 2);
    chevrons.lineTo(x + half, mid + 2 + half);
    chevrons.lineTo(x + chevronWidth, mid + 2);
    QColor secondary = BrandPalette::primary70(scheme);
    painter.setPen(QPen(secondary, 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevrons);
}

} // namespace orbel
