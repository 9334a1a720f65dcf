#pragma once

#include <QLabel>

namespace orbel {

// Plain text in one colour that wraps to the offered width and grows in
// height; optionally limited to a number of lines, the last one ending in an
// ellipsis when the text runs longer.
class TextLabel : public QLabel {
    Q_OBJECT

public:
    explicit TextLabel(const QString &text = {}, QWidget *parent = nullptr);

    void setColor(const QColor &color);
    QColor color() const;
    // 0 means no limit.
    void setMaxLines(int lines);
    int maxLines() const { return m_maxLines; }
    // A symbol of the text's size stands before the label, top-aligned:
    // centre the first line on it, whichever is taller.
    void setBesideSymbol(bool beside);

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    int clampedHeight(int height) const;
    void updateSymbolBand();

    int m_maxLines = 0;
    bool m_besideSymbol = false;
};

} // namespace orbel
