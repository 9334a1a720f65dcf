#pragma once

#include "text_label.h"

namespace orbel {

// Text that wraps to the width a layout gives it and keeps its whole height
// there, for the paragraphs, titles and notes of the preferences and welcome
// pages.
//
// Two things set it apart from a plain TextLabel. Its height follows the
// width it actually has: a label held to its size hint gets a height that Qt
// works out at a width of its own choosing, and with large text that cuts off
// the last lines. And a word wider than a whole line (a long title at the
// largest text size, a long German compound) breaks inside the word instead
// of running out of the label.
class ParagraphLabel : public TextLabel {
    Q_OBJECT

public:
    explicit ParagraphLabel(const QString &text = {}, QWidget *parent = nullptr);

    int heightForWidth(int width) const override;
    QSize minimumSizeHint() const override;

    // Whether a word of the text is wider than `width` (the text's own width,
    // margins excluded), so that it must break inside.
    bool breaksInsideWords(int width) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int textWidth(int width) const;
};

} // namespace orbel
