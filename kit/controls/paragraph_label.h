#pragma once

#include "text_label.h"

namespace orbel {

// Text that wraps to the width a layout gives it and keeps its whole height
// there, for the paragraphs, titles and notes of the preferences and welcome
// pages: a TextLabel whose height follows the width it actually has. (A
// label held to its size hint gets a height that Qt works out at a width of
// its own choosing, and with large text that cuts off the last lines.)
class ParagraphLabel : public TextLabel {
    Q_OBJECT

public:
    explicit ParagraphLabel(const QString &text = {}, QWidget *parent = nullptr);
};

} // namespace orbel
