#include "paragraph_label.h"

namespace orbel {

ParagraphLabel::ParagraphLabel(const QString &text, QWidget *parent) : TextLabel(text, parent)
{
    setSizePolicy(growingPolicy());
}

} // namespace orbel
