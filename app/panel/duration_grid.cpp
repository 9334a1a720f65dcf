#include "duration_grid.h"

#include "brand_palette.h"
#include "item_list_layout.h"
#include "locale_formats.h"
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

// Two rows of three equal columns, 8 pixels apart; what an uneven width
// leaves over goes to the two outer edges alike, never to one column. Each
// tile is as tall as its texts need at the column's width, centred in its row.
class TileGridLayout : public orbel::ItemListLayout {
public:
    static constexpr int columns = 3;

    explicit TileGridLayout(QWidget *parent) : orbel::ItemListLayout(parent)
    {
        setContentsMargins(0, 0, 0, 0);
        setSpacing(orbel::OrbelMetrics::gapS);
    }

    Qt::Orientations expandingDirections() const override { return Qt::Horizontal; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return arrange(QRect(0, 0, width, 0), false); }

    QSize sizeHint() const override
    {
        int widest = 0;
        for (const QLayoutItem *item : m_items)
            widest = std::max(widest, item->sizeHint().width());
        const int width = columns * widest + (columns - 1) * spacing();
        return {width, heightForWidth(width)};
    }

    QSize minimumSize() const override { return {(columns - 1) * spacing(), 0}; }

    void setGeometry(const QRect &rect) override
    {
        QLayout::setGeometry(rect);
        arrange(rect, true);
    }

private:
    // The height the rows take in `rect`'s width; with `apply`, places the
    // tiles there too.
    int arrange(const QRect &rect, bool apply) const
    {
        const int column = std::max(0, (rect.width() - (columns - 1) * spacing()) / columns);
        const int left = rect.left() + (rect.width() - (columns * column + (columns - 1) * spacing())) / 2;
        int y = rect.top();
        for (qsizetype first = 0; first < m_items.size(); first += columns) {
            const qsizetype end = std::min<qsizetype>(first + columns, m_items.size());
            const auto heightOf = [column](const QLayoutItem *item) {
                return item->hasHeightForWidth() ? item->heightForWidth(column) : item->sizeHint().height();
            };
            int row = 0;
            for (qsizetype i = first; i < end; ++i)
                row = std::max(row, heightOf(m_items[i]));
            if (apply) {
                for (qsizetype i = first; i < end; ++i) {
                    const int height = heightOf(m_items[i]);
                    const int x = left + int(i - first) * (column + spacing());
                    m_items[i]->setGeometry(QRect(x, y + (row - height) / 2, column, height));
                }
            }
            y += row + spacing();
        }
        return std::max(0, y - spacing() - rect.top());
    }
};

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
            return tile()->subtitle();
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
    setAccessibleName(text());
    setAccessibleDescription(DurationGrid::tr("Starts the session"));
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
    QAccessibleValueChangeEvent event(this, subtitle);
    QAccessible::updateAccessibility(&event);
}

QFont DurationTile::titleFont() const
{
    return orbel::orbelFont(orbel::OrbelFont::Heading, environment().textSize);
}

QFont DurationTile::subtitleFont() const
{
    return orbel::orbelFont(orbel::OrbelFont::Detail, environment().textSize);
}

int DurationTile::textWidth(int width) const
{
    return std::max(width - 2 * tileTextInset, 1);
}

QFont DurationTile::fittedTitleFont(int room) const
{
    return orbel::TextWrap::fitted(text(), titleFont(), room, minimumTextScale);
}

QFont DurationTile::fittedSubtitleFont(int room) const
{
    return orbel::TextWrap::fitted(m_subtitle, subtitleFont(), room, minimumTextScale);
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

int DurationTile::textHeight(const QFont &font, const QString &text, int width) const
{
    return wrappedHeight(font, text, width);
}

int DurationTile::heightForWidth(int width) const
{
    const int room = textWidth(width);
    const int texts = textHeight(fittedTitleFont(room), text(), room) + tileTextSpacing +
                      textHeight(fittedSubtitleFont(room), m_subtitle, room);
    return std::max(orbel::OrbelMetrics::tileMinHeight, texts);
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
    const QFont title = fittedTitleFont(room);
    const QFont subtitle = fittedSubtitleFont(room);
    const int titleHeight = textHeight(title, text(), room);
    const int subtitleHeight = textHeight(subtitle, m_subtitle, room);
    const int block = titleHeight + tileTextSpacing + subtitleHeight;
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

DurationGrid::DurationGrid(Start start, QString locale, const orbel::OrbelEnvironment &environment, Clock clock,
                           QWidget *parent)
    : QWidget(parent), EnvironmentAware(environment), m_start(std::move(start)), m_locale(std::move(locale)),
      m_clock(clock ? std::move(clock) : Clock(&Date::now))
{
    auto *grid = new TileGridLayout(this);

    // Two rows of three, in the order of the preset list.
    const auto presets = SessionDuration::presetList();
    static_assert(presets.size() >= 6);
    for (std::size_t index = 0; index < m_tiles.size(); ++index) {
        const SessionDuration duration = presets[index];
        auto *tile = new DurationTile(duration, environment, this);
        connect(tile, &QAbstractButton::clicked, this, [this, duration] {
            Q_ASSERT(QThread::currentThread() == thread());
            if (m_start)
                m_start(duration);
        });
        grid->addWidget(tile);
        m_tiles[index] = tile;
    }

    m_minuteTimer.setSingleShot(true);
    m_minuteTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_minuteTimer, &QTimer::timeout, this, &DurationGrid::minuteBegan);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    refresh();
}

QString DurationGrid::title(const SessionDuration &duration)
{
    switch (duration.kind()) {
    case SessionDuration::Kind::minutes30:
        return tr("30 min");
    case SessionDuration::Kind::hour1:
        return tr("1 h");
    case SessionDuration::Kind::hours2:
        return tr("2 h");
    case SessionDuration::Kind::hours4:
        return tr("4 h");
    case SessionDuration::Kind::hours8:
        return tr("8 h");
    case SessionDuration::Kind::custom:
    case SessionDuration::Kind::untilStopped:
        break;
    }
    return tr("No limit");
}

QString DurationGrid::subtitle(const SessionDuration &duration, Date now, QStringView locale)
{
    const std::optional<Duration> span = duration.duration();
    const std::optional<Date> end = span ? now.addingClamped(*span) : std::nullopt;
    if (!end)
        return tr("until you turn it off");
    return tr("until %1").arg(formatShortTime(locale, *end));
}

int DurationGrid::millisecondsToNextMinute(Date now)
{
    const double milliseconds = now.timeIntervalSince1970() * 1000.0;
    const double intoMinute = milliseconds - 60000.0 * std::floor(milliseconds / 60000.0);
    return std::clamp(int(std::ceil(60000.0 - intoMinute)), 1, 60000);
}

DurationTile *DurationGrid::tile(const SessionDuration &duration) const
{
    for (DurationTile *tile : m_tiles) {
        if (tile->duration() == duration)
            return tile;
    }
    return nullptr;
}

void DurationGrid::refresh()
{
    m_now = m_clock();
    for (DurationTile *tile : m_tiles)
        tile->setSubtitle(subtitle(tile->duration(), m_now, m_locale));
}

void DurationGrid::scheduleNextMinute()
{
    m_minuteTimer.start(millisecondsToNextMinute(m_clock()));
}

void DurationGrid::minuteBegan()
{
    refresh();
    if (isVisible())
        scheduleNextMinute();
}

void DurationGrid::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Time went by while the grid was away.
    refresh();
    scheduleNextMinute();
}

void DurationGrid::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_minuteTimer.stop();
}

} // namespace pelorin
