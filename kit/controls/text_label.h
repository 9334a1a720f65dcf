#pragma once

#include <QLabel>

namespace orbel {

// Plain text in one colour that wraps to the offered width and grows in
// height; optionally limited to a number of lines, the last one ending in an
// ellipsis when the text runs longer. It wraps between words and keeps its
// size while it does. Only a word wider than a whole line (a time's digits
// count as one word; it may break before its day period) makes the text
// smaller, all of it alike, down to the minimum scale factor; what still does
// not fit then breaks inside the word.
//
// Its height depends on its width: in a layout, give it room to grow (see
// growingPolicy()) or a vertical alignment, or the layout holds it to the
// height of its size hint, which Qt works out at a width of its own choosing.
class TextLabel : public QLabel {
    Q_OBJECT

public:
    explicit TextLabel(const QString &text = {}, QWidget *parent = nullptr);

    void setColor(const QColor &color);
    QColor color() const;
    // 0 means no limit.
    void setMaxLines(int lines);
    int maxLines() const { return m_maxLines; }
    // How small the text may be drawn to fit (see above).
    static constexpr qreal minimumScaleFactor = 0.5;
    // The font the text is drawn in at `width`: the label's own, or a
    // smaller one where a word needs it. Worked out again only when the
    // text, the font or the width changes.
    QFont fittedFont(int width) const;
    // A symbol of the text's size stands before the label, top-aligned:
    // centre the first line on it, whichever is taller.
    void setBesideSymbol(bool beside);
    // Ask a layout for the width of the whole text on one line, so that it
    // wraps (or is cut) only where the room runs out.
    void setPrefersWholeLine(bool prefers);

    // Preferred in both directions, with height for width: the label is as
    // tall as its text at the width it gets.
    static QSizePolicy growingPolicy();

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int clampedHeight(int height, const QFont &font) const;
    // The room for the text in a label `width` wide.
    int textWidth(int width) const;
    struct Fit {
        QString text;
        QFont font;
        int room = -1;
        // The font to draw in, and whether a word is still wider than the
        // room in it, so that it must break inside.
        QFont fitted;
        bool breaksWord = false;
    };
    // How the text fits a label `width` wide, kept until the text, the font
    // or the width changes.
    const Fit &fit(int width) const;
    void updateSymbolBand();

    mutable Fit m_fit;
    int m_maxLines = 0;
    bool m_besideSymbol = false;
    bool m_prefersWholeLine = false;
};

} // namespace orbel
