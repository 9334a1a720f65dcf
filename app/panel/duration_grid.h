#pragma once

#include "date.h"
#include "orbel_environment.h"
#include "session_duration.h"

#include <QAbstractButton>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>

class QPainter;

namespace pelorin {

// How a duration tile answers a press: the whole tile, fill and texts, fades
// to 60 % while the pointer holds it down. The tile's rounded fill belongs to
// the tile itself, so the style draws no background of its own.
struct TileStyle {
    static constexpr qreal pressedOpacity = 0.6;

    static qreal opacity(bool pressed) { return pressed ? pressedOpacity : 1.0; }
};

// One duration tile: its title over the time a session started now would
// end, centred on a faint rounded fill at least 56 pixels high. The whole
// rounded rectangle takes clicks.
class DurationTile : public QAbstractButton, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;
    // A word or a time too wide for the tile (the largest text sizes, long
    // translations) is drawn smaller, down to this share of its size, before
    // it is broken.
    static constexpr qreal minimumTextScale = 0.5;

    DurationTile(const SessionDuration &duration, const orbel::OrbelEnvironment &environment,
                 QWidget *parent = nullptr);

    const SessionDuration &duration() const { return m_duration; }
    QString title() const { return text(); }
    const QString &subtitle() const { return m_subtitle; }
    void setSubtitle(const QString &subtitle);
    // The lines the title and the subtitle are drawn in at the tile's width.
    QStringList titleLines() const;
    QStringList subtitleLines() const;
    // The fonts the texts are drawn in, made small enough for every word to
    // fit `room`.
    QFont fittedTitleFont(int room) const;
    QFont fittedSubtitleFont(int room) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void changeEvent(QEvent *event) override;
    void environmentChanged() override;

private:
    QFont titleFont() const;
    QFont subtitleFont() const;
    // The room the texts wrap in, a little inside the tile's edges.
    int textWidth(int width) const;
    int textHeight(const QFont &font, const QString &text, int width) const;

    SessionDuration m_duration;
    QString m_subtitle;
};

// The six duration tiles, two rows of three: "30 min", "1 h", "2 h" over
// "4 h", "8 h", "No limit". A click on a tile hands its duration to `start`.
// Under each title stands the wall-clock time a session started now would
// end; those times move on at the start of every minute, from a single-shot
// timer that runs only while the grid is on screen.
class DurationGrid : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    using Start = std::function<void(const SessionDuration &)>;
    using Clock = std::function<Date()>;

    // `locale` is the ICU identifier the end times are written in (empty for
    // the environment's); `clock` gives the current wall-clock time
    // (Date::now when empty).
    DurationGrid(Start start, QString locale, const orbel::OrbelEnvironment &environment, Clock clock = {},
                 QWidget *parent = nullptr);

    // The tile's title: "30 min", "1 h", ... "No limit".
    static QString title(const SessionDuration &duration);
    // The line under the title for a session started at `now`: "until "
    // and the end time in the locale's short time style, or "until you turn
    // it off" for "No limit" and for an end beyond the last date the
    // program names.
    static QString subtitle(const SessionDuration &duration, Date now, QStringView locale);
    // Milliseconds from `now` to the start of the next wall-clock minute.
    static int millisecondsToNextMinute(Date now);

    const std::array<DurationTile *, 6> &tiles() const { return m_tiles; }
    DurationTile *tile(const SessionDuration &duration) const;
    // The moment the end times were last written for.
    Date now() const { return m_now; }
    // The timer of the next minute; active only while the grid is shown.
    const QTimer &minuteTimer() const { return m_minuteTimer; }

    // Writes the end times for the current moment.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void minuteBegan();
    void scheduleNextMinute();

    Start m_start;
    QString m_locale;
    Clock m_clock;
    std::array<DurationTile *, 6> m_tiles{};
    QTimer m_minuteTimer;
    Date m_now;
};

} // namespace pelorin
