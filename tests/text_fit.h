#pragma once

// Whether a screen's texts reach the reader whole: nothing runs out of what
// holds it (except what a scroll area scrolls), a label is as tall as its
// lines and holds all of them, a paragraph wraps at its role's size and is
// drawn smaller only as far as a word too long for a line of its own needs,
// and a button shows its whole title, on one line or wrapped. A screen reader
// gets each text without the soft hyphens that mark where a word may break.

#include "bordered_button.h"
#include "text_label.h"
#include "text_wrap.h"

#include <QAccessible>
#include <QLabel>
#include <QScrollArea>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

namespace pelorin::test {

inline std::string describe(const QWidget *widget)
{
    std::string name = widget->metaObject()->className();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        name += " \"" + label->text().toStdString() + '"';
    else if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        name += " \"" + button->text().toStdString() + '"';
    return name;
}

// Checks every shown widget below `parent`.
inline void expectTextsWhole(const QWidget *parent)
{
    for (const QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden() || child->isWindow())
            continue;
        const auto *scroll = qobject_cast<const QScrollArea *>(parent->parentWidget());
        const bool scrolled = scroll && scroll->viewport() == parent;
        if (!scrolled) {
            EXPECT_TRUE(parent->rect().contains(child->geometry()))
                << describe(child) << " runs out of " << describe(parent);
        }
        if (QAccessibleInterface *spoken = QAccessible::queryAccessibleInterface(const_cast<QWidget *>(child))) {
            for (const QAccessible::Text kind : {QAccessible::Name, QAccessible::Description, QAccessible::Value})
                EXPECT_FALSE(spoken->text(kind).contains(QChar(0x00AD)))
                    << describe(child) << " is read with soft hyphens";
        }
        if (const auto *label = qobject_cast<const orbel::TextLabel *>(child)) {
            if (label->wordWrap()) {
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << describe(label);
                const QFont drawn = label->fittedFont(label->width());
                const int room = label->contentsRect().width();
                if (drawn.pixelSize() < label->font().pixelSize()) {
                    EXPECT_TRUE(orbel::TextWrap::hasWordWiderThan(label->text(), label->font(), room))
                        << describe(label) << " is drawn smaller than its role instead of wrapping";
                    QFont larger = drawn;
                    larger.setPixelSize(drawn.pixelSize() + 1);
                    EXPECT_TRUE(orbel::TextWrap::hasWordWiderThan(label->text(), larger, room))
                        << describe(label) << " is drawn smaller than its longest word needs";
                }
                if (label->maxLines() > 0) {
                    EXPECT_LE(orbel::TextWrap::lines(label->text(), drawn, room).size(), label->maxLines())
                        << describe(label) << " is cut short";
                }
            } else {
                EXPECT_GE(label->width(), label->sizeHint().width()) << describe(label);
            }
        }
        if (const auto *button = qobject_cast<const orbel::BorderedButton *>(child)) {
            const bool oneLine = button->width() >= button->sizeHint().width();
            const bool wrapped = button->wraps() && button->height() >= button->heightForWidth(button->width());
            EXPECT_TRUE(oneLine || wrapped) << describe(button) << " shortens its title";
        }
        expectTextsWhole(child);
    }
}

} // namespace pelorin::test
