#include "duration_tile.h"

#include "accessibility_element.h"
#include "brand_palette.h"
#include "duration_grid.h"
#include "orbel_font.h"
#include "orbel_metrics.h"
#include "text_wrap.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <QThread>

#include <algorithm>
#include <cmath>

namespace pelorin {

namespace {

constexpr int tileCornerRadius = DurationTile::cornerRadius;
constexpr int tileTextSpacing = 4;
// Texts that wrap keep clear of the rounded corners.
constexpr int tileTextInset = 4;

int lineCount(const QFont &font, const QString &text, int width)
{
    return int(orbel::TextWrap::lines(text, font, width).size());
}

int wrappedHeight(const QFont &font, const QString &text, int width)
{
    return int(std::ceil(orbel::TextWrap::height(text, font, width)));
}

// The narrowest width at which the text still takes no more lines than at
// `room`: wrapped lines come out even, rather than a long line over a single
// short word ("until you turn it" over "off"). Never narrower than the
// widest word where that fits the room, so evening the lines out never
// splits a word.
int balancedWidth(const QFont &font, const QString &text, int room)
{
    const int lines = lineCount(font, text, room);
    if (lines <= 1)
        return room;
    int low = std::min(room, int(std::ceil(orbel::TextWrap::widestWord(text, font))));
    int high = room;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (lineCount(font, text, middle) <= lines)
            high = middle;
        else
            low = middle + 1;
    }
    return high;
}

// Draws the text in lines at most `room` wide, centred under `topCentre`.
void drawWrapped(QPainter &painter, const QFont &font, const QString &text, int room, QPointF topCentre)
{
    if (text.isEmpty())
        return;
    const int width = balancedWidth(font, text, room);
    QTextLayout layout(orbel::TextWrap::breakable(text, font, width), font);
    orbel::TextWrap::layOut(layout, width, Qt::AlignHCenter);
    layout.draw(&painter, QPointF(topCentre.x() - width / 2.0, topCentre.y()));
}

QPainterPath tileShape(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, tileCornerRadius, tileCornerRadius);
    return path;
}

// The tile as screen readers meet it: a button named by its title, whose
// value is the end time and whose description says what a press does.
class DurationTileAccessible : public QAccessibleWidget {
public:
    explicit DurationTileAccessible(DurationTile *tile) : QAccessibleWidget(tile, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return orbel::spokenText(tile()->subtitle());
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = tile()->isDown();
        return state;
    }

    QStringList actionNames() const override { return QStringList{pressAction()} << QAccessibleWidget::actionNames(); }

    void doAction(const QString &action) override
    {
        if (action == pressAction()) {
            if (tile()->isEnabled())
                tile()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    DurationTile *tile() const { return static_cast<DurationTile *>(widget()); }
};

QAccessibleInterface *tileAccessibleFactory(const QString &, QObject *object)
{
    if (auto *tile = qobject_cast<DurationTile *>(object))
        return new DurationTileAccessible(tile);
    return nullptr;
}

} // namespace

DurationTile::DurationTile(const SessionDuration &duration, const orbel::OrbelEnvironment &environment, QWidget *parent)
    : QAbstractButton(parent), EnvironmentAware(environment), m_duration(duration)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(tileAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setText(DurationGrid::title(duration));
    setAccessibleName(orbel::spokenText(text()));
    setAccessibleDescription(orbel::spokenText(DurationGrid::tr("Starts the session")));
    setCursor(Qt::PointingHandCursor);
    // Like the desktop's buttons, a click does not take keyboard focus.
    setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void DurationTile::setSubtitle(const QString &subtitle)
{
    if (subtitle == m_subtitle)
        return;
    m_subtitle = subtitle;
    updateGeometry();
    update();
    QAccessibleValueChangeEvent event(this, orbel::spokenText(subtitle));
    QAccessible::updateAccessibility(&event);
}

void DurationTile::setFontSource(FontSource source)
{
    m_fontSource = std::move(source);
    updateGeometry();
    update();
}

QFont DurationTile::titleFont() const
{
    return orbel::orbelFont(orbel::OrbelFont::Heading, environment().textSize);
}

QFont DurationTile::subtitleFont() const
{
    return orbel::orbelFont(orbel::OrbelFont::Detail, environment().textSize);
}

int DurationTile::textWidth(int width)
{
    return std::max(width - 2 * tileTextInset, 1);
}

TileFonts DurationTile::ownFonts(int room) const
{
    return {orbel::TextWrap::fitted(text(), titleFont(), room, minimumTextScale),
            orbel::TextWrap::fitted(m_subtitle, subtitleFont(), room, minimumTextScale)};
}

TileFonts DurationTile::fonts(int room) const
{
    return m_fontSource ? m_fontSource(room) : ownFonts(room);
}

QFont DurationTile::fittedTitleFont(int room) const
{
    return fonts(room).title;
}

QFont DurationTile::fittedSubtitleFont(int room) const
{
    return fonts(room).subtitle;
}

QStringList DurationTile::titleLines() const
{
    const int room = textWidth(width());
    const QFont font = fittedTitleFont(room);
    return orbel::TextWrap::lines(text(), font, balancedWidth(font, text(), room));
}

QStringList DurationTile::subtitleLines() const
{
    const int room = textWidth(width());
    const QFont font = fittedSubtitleFont(room);
    return orbel::TextWrap::lines(m_subtitle, font, balancedWidth(font, m_subtitle, room));
}

int DurationTile::textsHeight(int width) const
{
    const int room = textWidth(width);
    const TileFonts shown = fonts(room);
    if (m_height.width != width || m_height.subtitle != m_subtitle || m_height.titlePixels != shown.title.pixelSize() ||
        m_height.subtitlePixels != shown.subtitle.pixelSize()) {
        const int height = wrappedHeight(shown.title, text(), room) + tileTextSpacing +
                           wrappedHeight(shown.subtitle, m_subtitle, room);
        m_height = {width, m_subtitle, shown.title.pixelSize(), shown.subtitle.pixelSize(), height};
    }
    return m_height.height;
}

int DurationTile::heightForWidth(int width) const
{
    return std::max(orbel::OrbelMetrics::tileMinHeight, textsHeight(width));
}

QSize DurationTile::sizeHint() const
{
    const int widest = std::max(QFontMetrics(titleFont()).horizontalAdvance(text()),
                                QFontMetrics(subtitleFont()).horizontalAdvance(m_subtitle));
    const int width = widest + 2 * tileTextInset;
    return {width, heightForWidth(width)};
}

QSize DurationTile::minimumSizeHint() const
{
    return {0, orbel::OrbelMetrics::tileMinHeight};
}

void DurationTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const orbel::ColorScheme scheme = environment().scheme;
    painter.setOpacity(TileStyle::opacity(isDown()) * (isEnabled() ? 1.0 : 0.4));

    const QRectF tile = QRectF(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(orbel::BrandPalette::primary06(scheme));
    painter.drawPath(tileShape(tile));

    // Title over subtitle, the pair centred in the tile.
    const int room = textWidth(width());
    const TileFonts shown = fonts(room);
    const QFont &title = shown.title;
    const QFont &subtitle = shown.subtitle;
    const int titleHeight = wrappedHeight(title, text(), room);
    const int block = textsHeight(width());
    const int top = (height() - block) / 2;
    const qreal centre = width() / 2.0;

    painter.setPen(orbel::BrandPalette::primary(scheme));
    drawWrapped(painter, title, text(), room, QPointF(centre, top));
    painter.setPen(orbel::BrandPalette::primary70(scheme));
    drawWrapped(painter, subtitle, m_subtitle, room, QPointF(centre, top + titleHeight + tileTextSpacing));
}

bool DurationTile::hitButton(const QPoint &pos) const
{
    return tileShape(QRectF(rect())).contains(QPointF(pos));
}

void DurationTile::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QAbstractButton::changeEvent(event);
}

void DurationTile::environmentChanged()
{
    updateGeometry();
    update();
}

} // namespace pelorin
