#pragma once

#include "orbel_environment.h"
#include "session_duration.h"

#include <QAbstractButton>
#include <QFont>
#include <QStringList>

#include <functional>

namespace pelorin {

// The fonts tiles draw their texts in at one width.
struct TileFonts {
    QFont title;
    QFont subtitle;
};

// How a duration tile answers a press: the whole tile, fill and texts, fades
// to 60 % while the pointer holds it down. The tile's rounded fill belongs to
// the tile itself, so the style draws no background of its own.
struct TileStyle {
    static constexpr qreal pressedOpacity = 0.6;

    static qreal opacity(bool pressed) { return pressed ? pressedOpacity : 1.0; }
};

// One duration tile: its title over the time a session started now would
// end, centred on a faint rounded fill at least 56 pixels high. The whole
// rounded rectangle takes clicks. The texts wrap between words; their fonts
// come from the tile's group (see setFontSource()), so that tiles side by
// side draw their titles alike and their subtitles alike.
class DurationTile : public QAbstractButton, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    static constexpr int cornerRadius = 12;
    // A word or a time too wide for the tile (the largest text sizes, long
    // translations) is drawn smaller, down to this share of its size, before
    // it is broken.
    static constexpr qreal minimumTextScale = 0.5;
    // The fonts for texts `room` wide.
    using FontSource = std::function<TileFonts(int room)>;

    DurationTile(const SessionDuration &duration, const orbel::OrbelEnvironment &environment,
                 QWidget *parent = nullptr);

    const SessionDuration &duration() const { return m_duration; }
    QString title() const { return text(); }
    const QString &subtitle() const { return m_subtitle; }
    void setSubtitle(const QString &subtitle);
    // The lines the title and the subtitle are drawn in at the tile's width.
    QStringList titleLines() const;
    QStringList subtitleLines() const;
    // The fonts the texts are drawn in at `room`: the group's, or without
    // one, the tile's own made small enough for every word to fit.
    QFont fittedTitleFont(int room) const;
    QFont fittedSubtitleFont(int room) const;
    // The title's and the subtitle's text roles at the environment's size.
    QFont titleFont() const;
    QFont subtitleFont() const;
    // The tile's own texts fitted to `room` on their own.
    TileFonts ownFonts(int room) const;
    // Where the fonts come from: the group's shared sizes.
    void setFontSource(FontSource source);
    // The room the texts wrap in, a little inside the tile's edges.
    static int textWidth(int width);

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
    TileFonts fonts(int room) const;
    // The height both texts take at `width`, kept until the width, the
    // fonts or the subtitle change.
    int textsHeight(int width) const;

    SessionDuration m_duration;
    QString m_subtitle;
    FontSource m_fontSource;
    struct Height {
        int width = -1;
        QString subtitle;
        int titlePixels = 0;
        int subtitlePixels = 0;
        int height = 0;
    };
    mutable Height m_height;
};

} // namespace pelorin
