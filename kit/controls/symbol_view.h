#pragma once

#include <QColor>
#include <QWidget>

namespace orbel {

// One symbol in a colour, centred in a frame. Its height is one line of its
// font, so laid beside text with top alignment it sits on the first line.
// Decorative: screen readers skip it.
class SymbolView : public QWidget {
    Q_OBJECT

public:
    SymbolView(const QString &symbol, const QColor &tint, QWidget *parent = nullptr);

    const QString &symbol() const { return m_symbol; }
    void setSymbol(const QString &symbol);
    const QColor &tint() const { return m_tint; }
    void setTint(const QColor &tint);
    // The width of the frame; 0 fits the symbol.
    void setFrameWidth(int width);
    // The symbol's size, from the font.
    int symbolSide() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The symbol size that matches text in `font`.
    static int sideForFont(const QFont &font);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QString m_symbol;
    QColor m_tint;
    int m_frameWidth = 0;
};

} // namespace orbel
