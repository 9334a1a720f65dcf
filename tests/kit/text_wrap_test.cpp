// How kit texts wrap: between words, and inside a word only when that word
// alone is wider than a line.
#include "text_label.h"
#include "text_wrap.h"

#include <QFontMetrics>
#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace orbel;

namespace {

QFont largeBold()
{
    QFont font;
    font.setPixelSize(41);
    font.setBold(true);
    return font;
}

int advance(const QFont &font, const QString &text)
{
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

TEST(TextWrap, AWordThatFitsALineIsNeverSplit)
{
    const QFont font = largeBold();
    const QString text = QStringLiteral("No limit");
    // Every width from the wider word up: the two words, whole.
    const int limit = advance(font, QStringLiteral("limit"));
    for (int width = limit; width < advance(font, text); width += 3)
        EXPECT_EQ(TextWrap::lines(text, font, width), (QStringList{QStringLiteral("No"), QStringLiteral("limit")}))
            << width;
    EXPECT_EQ(TextWrap::lines(text, font, advance(font, text) + 1), QStringList{text});
    EXPECT_FALSE(TextWrap::hasWordWiderThan(text, font, limit));
    EXPECT_TRUE(TextWrap::hasWordWiderThan(text, font, limit - 2));
}

TEST(TextWrap, AWordWiderThanALineBreaksInsideAndLosesNothing)
{
    const QFont font = largeBold();
    const QString word = QStringLiteral("Donaudampfschifffahrt");
    const int width = advance(font, word) / 3;
    const QStringList lines = TextWrap::lines(word + QStringLiteral(" ist lang"), font, width);
    ASSERT_GE(lines.size(), 3);
    // Every character, in order; the short words after it stay whole (the
    // word's last piece may share their line).
    EXPECT_EQ(lines.join(QString()).remove(u' '), word + QStringLiteral("istlang"));
    EXPECT_TRUE(lines.last() == QStringLiteral("lang") || lines.last().endsWith(QStringLiteral(" lang")));
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                            [](const QString &line) { return line.split(u' ').contains(QStringLiteral("ist")); }));
    for (const QString &line : lines)
        EXPECT_LE(QFontMetricsF(font).horizontalAdvance(line), width + 0.5) << line.toStdString();
    // Only the long word took break opportunities.
    EXPECT_EQ(TextWrap::breakable(QStringLiteral("ist lang"), font, width), QStringLiteral("ist lang"));
}

// A word too wide for the line is drawn smaller first; only what still does
// not fit at the smallest size breaks, and the label is as tall as its lines.
TEST(TextLabel, AWordTooWideShrinksBeforeItBreaks)
{
    TextLabel label(QStringLiteral("Donaudampfschifffahrt"));
    label.setFont(largeBold());
    const int whole = advance(largeBold(), label.text());
    const int oneLine = label.heightForWidth(whole + 10);

    // A little too narrow: one line, a little smaller.
    const int narrower = whole * 4 / 5;
    const QFont shrunk = label.fittedFont(narrower);
    EXPECT_LT(shrunk.pixelSize(), 41);
    EXPECT_GE(shrunk.pixelSize(), 41 * TextLabel::defaultMinimumScaleFactor);
    EXPECT_LE(advance(shrunk, label.text()), narrower);
    EXPECT_LE(label.heightForWidth(narrower), oneLine);

    // Far too narrow: half the size, and broken into lines of it.
    const int third = whole / 3;
    EXPECT_EQ(label.fittedFont(third).pixelSize(), 21);
    EXPECT_GE(label.heightForWidth(third), 2 * QFontMetrics(label.fittedFont(third)).height() - 2);

    // Without shrinking, it breaks at once.
    label.setMinimumScaleFactor(1.0);
    EXPECT_EQ(label.fittedFont(third), largeBold());
    EXPECT_GE(label.heightForWidth(third), 3 * oneLine - 3);
    // Any width will do: the word breaks to fit.
    EXPECT_LT(label.minimumSizeHint().width(), third);
}

} // namespace
