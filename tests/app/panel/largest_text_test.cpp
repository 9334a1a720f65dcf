// The panel at the largest text size, in every staged state: every text keeps
// the height it needs at the panel's width, no word that fits a line is
// split, and nothing runs past the edge of what holds it.
#include "panel_test_support.h"

#include "flap_board.h"
#include "orbel_panel.h"
#include "panel_content.h"
#include "session_readout_view.h"
#include "text_label.h"
#include "text_wrap.h"
#include "translations.h"

#include <QRegularExpression>

#include <set>

using namespace pelorin;
using namespace pelorin::paneltest;

namespace {

std::unique_ptr<MenuView> openPanel(AppModel &model, Date now, const QString &locale)
{
    PanelContentOptions options;
    options.clock = [now] { return now; };
    options.environment.textSize = orbel::TextSize::Accessibility5;
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

std::string describe(const QWidget *widget)
{
    std::string name = widget->metaObject()->className();
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        name += " \"" + label->text().toStdString() + '"';
    return name;
}

// Every shown widget lies inside its parent, and every label is at least as
// tall (or, on one line, as wide) as its text needs.
void expectNothingCut(const QWidget *parent)
{
    for (const QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isHidden() || child->isWindow())
            continue;
        EXPECT_TRUE(parent->rect().contains(child->geometry()))
            << describe(child) << " runs out of " << describe(parent);
        if (const auto *label = qobject_cast<const orbel::TextLabel *>(child)) {
            if (label->wordWrap())
                EXPECT_GE(label->height(), label->heightForWidth(label->width())) << describe(label);
            else
                EXPECT_GE(label->width(), label->sizeHint().width()) << describe(label);
        }
        expectNothingCut(child);
    }
}

// Each word of `text` stands whole on one of `lines`.
void expectWholeWords(const QString &text, const QStringList &lines, const QString &where)
{
    // Times carry a no-break space before "PM": any space parts words here,
    // and so does a soft hyphen, where a translation allows a word to break.
    static const QRegularExpression space(QStringLiteral("[\\s\u00AD]+"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    for (const QString &word : text.split(space, Qt::SkipEmptyParts)) {
        const bool whole = std::any_of(lines.begin(), lines.end(), [&word](const QString &line) {
            return line.split(space, Qt::SkipEmptyParts).contains(word);
        });
        EXPECT_TRUE(whole) << where.toStdString() << ": \"" << word.toStdString() << "\" is split across \""
                           << lines.join(u'|').toStdString() << '"';
    }
}

// English and German at hours of one and two digits, in every staged state:
// nothing is cut, and the tiles, the status line and the count-down keep
// every word and every time whole, inside the tile or card that holds them,
// with tile columns of one width.
TEST(LargestText, NothingIsCutOrSplitInAnyStateLanguageOrHour)
{
    const QString locales[] = {QStringLiteral("en_US"), QStringLiteral("de_DE")};
    // 01:00 ends the tiles at 1:30 to 9:00; 15:00 at 15:30 to 23:00 (3:30 PM
    // to 11:00 PM).
    const Date clocks[] = {utc(2025, 3, 14, 1, 0), utc(2025, 3, 14, 15, 0)};
    for (const QString &locale : locales) {
        installTranslations(locale);
        for (const Date &now : clocks) {
            for (const AppModel::Scenario scenario :
                 {AppModel::Ready, AppModel::Off, AppModel::Active, AppModel::Failure, AppModel::RetainedFailure,
                  AppModel::Starting, AppModel::Stopping}) {
                ReadoutModel fixture(true);
                fixture.model->applySnapshotFixture(scenario);
                const auto view = openPanel(*fixture.model, now, locale);
                SCOPED_TRACE(locale.toStdString() + " at " + std::to_string(std::lround(now.timeIntervalSince1970())) +
                             ", state " + std::to_string(int(scenario)));
                // The panel is as tall as its content at its width.
                EXPECT_EQ(view->panel()->height(), view->panel()->heightForWidth(view->panel()->width()));
                expectNothingCut(view.get());

                const orbel::TextLabel *status = view->panel()->header()->statusLabel();
                const QStringList statusLines = orbel::TextWrap::lines(
                    status->text(), status->fittedFont(status->width()), status->contentsRect().width());
                expectWholeWords(status->text(), statusLines, status->text());
                EXPECT_LE(statusLines.size(), status->maxLines()) << status->text().toStdString();

                if (scenario == AppModel::Active) {
                    // The count-down stands on one row, inside the card.
                    const FlapBoard &board = view->readout()->flapBoard();
                    ASSERT_EQ(board.pieceCount(), 5);
                    for (int i = 0; i < board.pieceCount(); ++i) {
                        EXPECT_EQ(board.pieceWidget(i)->y(), board.pieceWidget(0)->y()) << i;
                        EXPECT_TRUE(board.rect().contains(board.pieceWidget(i)->geometry())) << i;
                    }
                }
                if (!shown(view->grid()))
                    continue;

                std::set<int> columnWidths;
                for (const DurationTile *tile : view->grid()->tiles()) {
                    columnWidths.insert(tile->width());
                    const int room = tile->width();
                    expectWholeWords(tile->title(), tile->titleLines(), tile->title());
                    expectWholeWords(tile->subtitle(), tile->subtitleLines(), tile->title());
                    for (const QString &line : tile->titleLines())
                        EXPECT_LE(QFontMetrics(tile->fittedTitleFont(room)).horizontalAdvance(line), room)
                            << line.toStdString();
                    for (const QString &line : tile->subtitleLines())
                        EXPECT_LE(QFontMetrics(tile->fittedSubtitleFont(room)).horizontalAdvance(line), room)
                            << line.toStdString();
                    EXPECT_GE(tile->height(), tile->heightForWidth(tile->width())) << tile->title().toStdString();
                }
                EXPECT_EQ(columnWidths.size(), 1u) << "tile columns differ";
            }
        }
    }
    installTranslations(QStringLiteral("en_US"));
}

} // namespace
