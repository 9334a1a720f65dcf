#pragma once

#include "orbel_environment.h"
#include "session_duration.h"

#include <QAbstractButton>
#include <QFont>
#include <QStringList>

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

} // namespace pelorin
