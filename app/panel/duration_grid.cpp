#include "duration_grid.h"

#include "item_list_layout.h"
#include "locale_formats.h"
#include "orbel_metrics.h"
#include "text_wrap.h"

#include <QThread>

#include <algorithm>

namespace pelorin {

namespace {

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

} // namespace

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
        tile->setFontSource([this](int room) { return fontsFor(room); });
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
    for (DurationTile *tile : m_tiles) {
        const QString text = subtitle(tile->duration(), m_now, m_locale);
        if (text == tile->subtitle())
            continue;
        // Before the tile asks for its fonts again.
        m_fonts.room = -1;
        tile->setSubtitle(text);
    }
    // After a jump of the clock the next minute begins at another moment.
    if (m_minuteTimer.isActive())
        scheduleNextMinute();
}

TileFonts DurationGrid::fontsFor(int room) const
{
    const orbel::TextSize size = m_tiles[0]->environment().textSize;
    if (m_fonts.room == room && m_fonts.size == size)
        return m_fonts.fonts;
    TileFonts group{m_tiles[0]->titleFont(), m_tiles[0]->subtitleFont()};
    for (const DurationTile *tile : m_tiles) {
        const TileFonts own = tile->ownFonts(room);
        group.title = orbel::TextWrap::smaller(group.title, own.title);
        group.subtitle = orbel::TextWrap::smaller(group.subtitle, own.subtitle);
    }
    // A title never stands smaller than the line under it.
    group.subtitle = orbel::TextWrap::smaller(group.subtitle, group.title);
    m_fonts = {room, size, group};
    return group;
}

void DurationGrid::environmentChanged()
{
    updateGeometry();
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
