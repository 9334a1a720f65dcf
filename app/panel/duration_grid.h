#pragma once

#include "date.h"
#include "duration_tile.h"
#include "orbel_environment.h"
#include "session_duration.h"

#include <QAbstractButton>
#include <QStringList>
#include <QTimer>

#include <array>
#include <functional>

namespace pelorin {

// The six duration tiles, two rows of three: "30 min", "1 h", "2 h" over
// "4 h", "8 h", "No limit". A click on a tile hands its duration to `start`.
// Under each title stands the wall-clock time a session started now would
// end; those times move on at the start of every minute, from a single-shot
// timer that runs only while the grid is on screen.
//
// The tiles draw their titles at one size and their subtitles at one size,
// so that one tile's long word or time does not set it apart from the others:
// where a word needs a smaller size in one tile, all tiles take it, and the
// subtitles never stand larger than the titles.
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

    // Writes the end times for the current moment, and times the next
    // minute from it when the grid is on screen.
    void refresh();

    // The fonts every tile draws in when its texts are `room` wide. Worked
    // out again only when the room, a text or the text size changes.
    TileFonts fontsFor(int room) const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void environmentChanged() override;

private:
    void minuteBegan();
    void scheduleNextMinute();

    Start m_start;
    QString m_locale;
    Clock m_clock;
    std::array<DurationTile *, 6> m_tiles{};
    QTimer m_minuteTimer;
    Date m_now;
    struct Fonts {
        int room = -1;
        orbel::TextSize size = orbel::TextSize::Large;
        TileFonts fonts;
    };
    mutable Fonts m_fonts;
};

} // namespace pelorin
