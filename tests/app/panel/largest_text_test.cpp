// The panel at the everyday and the largest text size, in English and German,
// in every staged state: every text keeps the height it needs at the panel's
// width, wraps rather than shrinks, no word that fits a line is split, nothing
// runs past the edge of what holds it, and texts drawn side by side in one
// role (the tiles' titles, their subtitles, a count-down's digits) share one
// size.
#include "panel_test_support.h"

#include "flap_board.h"
#include "orbel_font.h"
#include "orbel_panel.h"
#include "panel_content.h"
#include "session_readout_view.h"
#include "snapshot_window.h"
#include "split_flap.h"
#include "text_fit.h"
#include "text_label.h"
#include "text_wrap.h"
#include "translations.h"

#include <QRegularExpression>

#include <set>

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

const orbel::TextSize textSizes[] = {orbel::TextSize::Large, orbel::TextSize::Accessibility5};
const QString locales[] = {QStringLiteral("en_US"), QStringLiteral("de_DE")};

std::string nameOf(orbel::TextSize size)
{
    return size == orbel::TextSize::Large ? "everyday size" : "largest size";
}

std::unique_ptr<MenuView> openPanel(AppModel &model, const SessionFacts &staged, Date now, const QString &locale,
                                    orbel::TextSize size)
{
    PanelContentOptions options;
    options.staged = staged;
    options.clock = [now] { return now; };
    options.environment.textSize = size;
    options.environment.reduceMotion = true;
    options.locale = locale;
    options.panelHeight = 4000.0;
    options.reportsVisibility = true;
    std::unique_ptr<MenuView> view(makePanelContent(model, std::move(options)));
    view->show();
    view->resize(view->sizeHint());
    fakes::settle();
    return view;
}

// Times carry a no-break space before "PM": any space parts words here, and
// so does a soft hyphen, where a translation allows a word to break.
const QRegularExpression space(QStringLiteral("[\\s\u00AD]+"), QRegularExpression::UseUnicodePropertiesOption);

// Each word of `text` stands whole on one of `lines`.
void expectWholeWords(const QString &text, const QStringList &lines, const QString &where)
{
    for (const QString &word : text.split(space, Qt::SkipEmptyParts)) {
        const bool whole = std::any_of(lines.begin(), lines.end(), [&word](const QString &line) {
            return line.split(space, Qt::SkipEmptyParts).contains(word);
        });
        EXPECT_TRUE(whole) << where.toStdString() << ": \"" << word.toStdString() << "\" is split across \""
                           << lines.join(u'|').toStdString() << '"';
    }
}

// The six tiles: columns of one width, every word whole and inside its tile,
// each tile as tall as its texts, the titles at one size, the subtitles at
// one size, no title smaller than the subtitles, and the subtitles smaller
// than their role only to stay so or where a word is wider than a tile.
void expectEvenTiles(const DurationGrid &grid)
{
    std::set<int> columnWidths;
    std::set<int> titleSizes;
    std::set<int> subtitleSizes;
    bool wordWiderThanATile = false;
    for (const DurationTile *tile : grid.tiles()) {
        const QFontMetrics role(tile->subtitleFont());
        for (const QString &word : tile->subtitle().split(space))
            wordWiderThanATile |= role.horizontalAdvance(word) > DurationTile::textWidth(tile->width());
        columnWidths.insert(tile->width());
        const int room = tile->width();
        const QFont title = tile->fittedTitleFont(DurationTile::textWidth(room));
        const QFont subtitle = tile->fittedSubtitleFont(DurationTile::textWidth(room));
        titleSizes.insert(title.pixelSize());
        subtitleSizes.insert(subtitle.pixelSize());
        EXPECT_GE(title.pixelSize(), subtitle.pixelSize()) << tile->title().toStdString();
        expectWholeWords(tile->title(), tile->titleLines(), tile->title());
        expectWholeWords(tile->subtitle(), tile->subtitleLines(), tile->title());
        for (const QString &line : tile->titleLines())
            EXPECT_LE(QFontMetrics(title).horizontalAdvance(line), room) << line.toStdString();
        for (const QString &line : tile->subtitleLines())
            EXPECT_LE(QFontMetrics(subtitle).horizontalAdvance(line), room) << line.toStdString();
        EXPECT_GE(tile->height(), tile->heightForWidth(tile->width())) << tile->title().toStdString();
    }
    EXPECT_EQ(columnWidths.size(), 1u) << "tile columns differ";
    EXPECT_EQ(titleSizes.size(), 1u) << "the titles differ in size";
    EXPECT_EQ(subtitleSizes.size(), 1u) << "the subtitles differ in size";
    const int subtitle = *subtitleSizes.begin();
    EXPECT_TRUE(subtitle == grid.tiles()[0]->subtitleFont().pixelSize() || subtitle == *titleSizes.begin() ||
                wordWiderThanATile)
        << "the subtitles shrink instead of wrapping";
}

} // namespace

// English and German at both sizes, in every staged state, and the tiles at
// hours of one and two digits: nothing is cut or shrunk, and the tiles, the
// status line and the count-down keep every word and every time whole.
TEST(PanelText, NothingIsCutShrunkOrSplitInAnyStateLanguageOrSize)
{
    // 01:00 ends the tiles at 1:30 to 9:00, 02:25 at 2:55 to 10:25 (one and
    // two digits side by side), 15:00 at 15:30 to 23:00 (3:30 PM to 11:00 PM).
    const Date readyClocks[] = {utc(2025, 3, 14, 1, 0), utc(2025, 3, 14, 2, 25)};
    const Date afternoon = utc(2025, 3, 14, 15, 0);
    struct Case {
        SnapshotWindow::Scenario scenario;
        Date now;
    };
    using Scenario = SnapshotWindow::Scenario;
    QList<Case> cases;
    for (const Scenario scenario : {Scenario::ready, Scenario::off, Scenario::active, Scenario::failure,
                                    Scenario::retainedFailure, Scenario::starting, Scenario::stopping})
        cases.append({scenario, afternoon});
    for (const Date &now : readyClocks)
        cases.append({Scenario::ready, now});

    for (const QString &locale : locales) {
        installTranslations(locale);
        for (const orbel::TextSize size : textSizes) {
            for (const Case &test : cases) {
                ReadoutModel fixture(true);
                const SessionFacts staged =
                    SnapshotWindow::stagedSession(test.scenario, fixture.countdown().selection(), test.now);
                const auto view = openPanel(*fixture.model, staged, test.now, locale, size);
                SCOPED_TRACE(locale.toStdString() + " at the " + nameOf(size) + ", " +
                             std::to_string(std::lround(test.now.timeIntervalSince1970())) + ", state " +
                             std::to_string(int(test.scenario)));
                // The panel is as tall as its content at its width.
                EXPECT_EQ(view->panel()->height(), view->panel()->heightForWidth(view->panel()->width()));
                test::expectTextsWhole(view.get());

                // The status line keeps its role's size in every state.
                const orbel::TextLabel *status = view->panel()->header()->statusLabel();
                EXPECT_EQ(status->fittedFont(status->width()).pixelSize(), status->font().pixelSize())
                    << status->text().toStdString();
                expectWholeWords(status->text(),
                                 orbel::TextWrap::lines(status->text(), status->fittedFont(status->width()),
                                                        status->contentsRect().width()),
                                 status->text());
                if (shown(view->grid()))
                    expectEvenTiles(*view->grid());
            }
        }
    }
    installTranslations(QStringLiteral("en_US"));
}

// Tiles narrower than the panel's, where a title has to shrink as well as a
// subtitle: the titles still share one size, the subtitles another, no
// larger than the titles.
TEST(PanelText, TheTilesShareTheirSizesAtAnyWidth)
{
    for (const QString &locale : locales) {
        installTranslations(locale);
        for (const orbel::TextSize size : textSizes) {
            for (const int width : {336, 280, 240}) {
                SCOPED_TRACE(locale.toStdString() + " at the " + nameOf(size) + ", " + std::to_string(width) + " wide");
                orbel::OrbelEnvironment environment;
                environment.textSize = size;
                DurationGrid grid({}, locale, environment, [] { return utc(2025, 3, 14, 2, 25); });
                grid.show();
                grid.resize(width, grid.heightForWidth(width));
                fakes::settle();
                expectEvenTiles(grid);
            }
        }
    }
    installTranslations(QStringLiteral("en_US"));
}

// Every count-down the snapshot options stage, at both sizes: its digits and
// colons share one size, the largest at which each group fits the card, the
// flaps keep their padding and the colons their whole width. (How the board
// wraps is the board's test.)
TEST(PanelText, ACountDownKeepsOneSizeEqualDigitsAndWholeColons)
{
    const struct {
        const char *duration;
        // A count-down whose hours alone are too wide for the card at the
        // largest size.
        bool hoursOverflow;
    } countDowns[] = {
        {"", false}, {"custom", false}, {"long-hours", false}, {"maximum-hours", true}, {"subsecond", false},
    };
    for (const orbel::TextSize size : textSizes) {
        for (const auto &countDown : countDowns) {
            SCOPED_TRACE(std::string(countDown.duration) + " at the " + nameOf(size));
            ReadoutModel fixture(true);
            QStringList arguments{QStringLiteral("pelorin"), SnapshotWindow::stateOption, QStringLiteral("active")};
            if (*countDown.duration)
                arguments << SnapshotWindow::durationOption << QString::fromLatin1(countDown.duration);
            const SessionFacts staged = SnapshotWindow::stageModel(*fixture.model, arguments);
            const auto view = openPanel(*fixture.model, staged, utc(2025, 3, 14, 15, 0), QStringLiteral("en_US"), size);
            test::expectTextsWhole(view.get());

            const FlapBoard &board = view->readout()->flapBoard();
            ASSERT_EQ(board.pieceCount(), 5);
            const QFont font = board.pieceWidget(0)->font();
            for (int i = 0; i < board.pieceCount(); ++i) {
                const QWidget *piece = board.pieceWidget(i);
                EXPECT_EQ(piece->font(), font) << "piece " << i;
                const QFontMetrics metrics(piece->font());
                if (const SplitFlap *flap = board.flapAt(i)) {
                    EXPECT_GE(flap->width(), metrics.horizontalAdvance(flap->text()) + 2 * SplitFlap::padding)
                        << flap->text().toStdString();
                } else {
                    EXPECT_GE(piece->width(), metrics.horizontalAdvance(u':')) << "a colon is cut";
                }
            }
            const int roleSize = orbel::orbelFont(orbel::OrbelFont::Readout, size).pixelSize();
            if (countDown.hoursOverflow && size == orbel::TextSize::Accessibility5) {
                EXPECT_LT(font.pixelSize(), roleSize);
            } else {
                EXPECT_EQ(font.pixelSize(), roleSize) << "the count-down shrinks where it could wrap";
            }
        }
    }
}
