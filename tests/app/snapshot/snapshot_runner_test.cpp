// The snapshot runner's pieces inside one process: the staged session as the
// panel shows it, reading numbers and drawing content that is still settling.
#include "snapshot/snapshot_renderer.h"
#include "snapshot/snapshot_window.h"

#include "app/fake_app_model.h"

#include "flap_board.h"
#include "menu_view.h"
#include "orbel_switch.h"
#include "panel_header.h"
#include "session_readout_view.h"

#include <QCoroTask>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>

using namespace Qt::StringLiterals;

namespace pelorin {
namespace {

// Every state and duration the options stage reaches the panel as a picture
// shows it: the flaps, the display row's answer (or its switch) and the
// master switch. The sample session started a quarter of an hour ago.
TEST(SnapshotStaging, EveryStagedStateAndDurationReachesThePanel)
{
    const QString state = SnapshotWindow::stateOption;
    const QString duration = SnapshotWindow::durationOption;
    const struct {
        QStringList options;
        const char16_t *flaps;
        // "Yes" or "No" for a session's choice, "switch" for the next one's,
        // empty without a display row.
        const char16_t *display;
    } rows[] = {
        {{}, u"READY", u"switch"},
        {{state, u"off"_s}, u"OFF", u""},
        {{state, u"active"_s}, u"00|:|45|:|00", u"Yes"},
        {{state, u"active"_s, duration, u"custom"_s}, u"01|:|15|:|00", u"Yes"},
        {{state, u"active"_s, duration, u"long-hours"_s}, u"100|:|00|:|00", u"Yes"},
        {{state, u"active"_s, duration, u"maximum-hours"_s}, u"2562047788015214|:|15|:|07", u"Yes"},
        {{state, u"active"_s, duration, u"subsecond"_s}, u"00|:|00|:|01", u"Yes"},
        {{state, u"active"_s, duration, u"unlimited"_s, SnapshotWindow::displayOption, u"no"_s}, u"NO|LIMIT", u"No"},
        {{state, u"failure"_s}, u"FAILED", u"switch"},
        {{state, u"retained-failure"_s}, u"ATTENTION", u"Yes"},
        {{state, u"starting"_s}, u"STARTING", u"Yes"},
        {{state, u"stopping"_s}, u"ENDING", u"Yes"},
        {{state, u"stopping"_s, SnapshotWindow::displayOption, u"no"_s}, u"ENDING", u"No"},
    };
    for (const auto &row : rows) {
        const QStringList arguments = QStringList{u"pelorin"_s} + row.options;
        SCOPED_TRACE(arguments.join(u' ').toStdString());
        fakes::FakeAppModel fixture(true);
        SnapshotScreenOptions options = SnapshotWindow::screenOptions(arguments);
        options.session = SnapshotWindow::stageModel(*fixture.model, arguments);
        std::unique_ptr<QWidget> root(
            SnapshotWindow::rootView(*fixture.model, options, defaultSnapshotScreens(), arguments));
        auto *panel = qobject_cast<MenuView *>(root.get());
        ASSERT_NE(panel, nullptr);
        root->show();
        fakes::settle();

        QStringList flaps;
        for (const ReadoutBoard::Piece &piece : panel->readout()->flapBoard().pieces())
            flaps << (piece.kind == ReadoutBoard::Piece::Kind::colon ? u":"_s : piece.text);
        EXPECT_EQ(flaps.join(u'|').toStdString(), QString::fromUtf16(row.flaps).toStdString());
        const PanelDisplayRow *displayRow = panel->displayRow();
        const QString display = !displayRow->isVisible()                   ? QString()
                                : displayRow->displaySwitch()->isVisible() ? u"switch"_s
                                                                           : displayRow->valueText();
        EXPECT_EQ(display.toStdString(), QString::fromUtf16(row.display).toStdString());
        EXPECT_EQ(panel->panel()->header()->masterSwitch()->isChecked(), row.options.value(1) != u"off"_s);
    }
}

TEST(SnapshotNumbers, OnlyAWholeFiniteNumberAboveZeroCounts)
{
    const std::pair<QString, double> accepted[] = {
        {u"300"_s, 300.0}, {u"3e2"_s, 300.0}, {u"0x12C"_s, 300.0}, {u".5"_s, 0.5}, {u"0X1P4"_s, 16.0},
    };
    for (const auto &[text, value] : accepted)
        EXPECT_EQ(SnapshotWindow::parsePositiveNumber(text), value) << text.toStdString();
    // Arabic-Indic digits last.
    for (const QString &text :
         {u"0"_s, u"-5"_s, u" 300"_s, u"\v300"_s, u"300 "_s, u"300abc"_s, u"inf"_s, u"nan"_s, u"nan(7)"_s, u""_s,
          u"1e400"_s, u"1e-400"_s, u"300,5"_s, u"\u00a0300"_s, u"\u0663\u0660\u0660"_s})
        EXPECT_EQ(SnapshotWindow::parsePositiveNumber(text), std::nullopt) << text.toStdString();
}

TEST(SnapshotNumbers, TheDecimalPointIsAPointWhateverTheLocale)
{
    // QCoreApplication has adopted the environment's LC_NUMERIC; a German
    // one writes a comma.
    const char *previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    // Where the machine has no German locale, one is compiled into a private
    // folder from the locale sources (package locales).
    QTemporaryDir compiled;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && compiled.isValid()) {
        QProcess::execute(u"localedef"_s,
                          {u"-i"_s, u"de_DE"_s, u"-f"_s, u"UTF-8"_s, compiled.filePath(u"de_DE.UTF-8"_s)});
        qputenv("LOCPATH", QFile::encodeName(compiled.path()));
    }
    const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    qunsetenv("LOCPATH");
    if (!german)
        GTEST_SKIP() << "no German locale, and none could be compiled (package locales)";
    EXPECT_EQ(SnapshotWindow::parsePositiveNumber(u"2.5"_s), 2.5);
    EXPECT_EQ(SnapshotWindow::parsePositiveNumber(u"2,5"_s), std::nullopt);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

// A widget with a fixed width and a height that may change.
std::unique_ptr<QWidget> block(int width, int height, QSizePolicy::Policy vertical = QSizePolicy::Fixed)
{
    auto widget = std::make_unique<QWidget>();
    widget->setAutoFillBackground(true);
    widget->setFixedWidth(width);
    widget->setMinimumHeight(20);
    widget->resize(width, height);
    widget->setSizePolicy(QSizePolicy::Fixed, vertical);
    auto *layout = new QVBoxLayout(widget.get());
    auto *filler = new QWidget(widget.get());
    filler->setFixedHeight(height);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(filler);
    return widget;
}

TEST(SnapshotRendering, ContentThatGrowsWhileSettlingIsDrawnAtItsNewSize)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"picture.png"_s);
    auto root = block(120, 80);
    QWidget *filler = root->findChild<QWidget *>();
    QTimer::singleShot(50, filler, [filler] { filler->setFixedHeight(130); });
    QCoro::waitFor(SnapshotWindow::render(std::move(root), path, orbel::ColorScheme::Light, std::nullopt));
    const QImage picture(path, "PNG");
    EXPECT_EQ(picture.size(), QSize(120, 130));
    EXPECT_EQ(picture.devicePixelRatio(), 1.0);
}

TEST(SnapshotRendering, APictureTooLargeToDrawFailsInsteadOfExhaustingMemory)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"huge.png"_s);
    QCoro::waitFor(
        SnapshotWindow::render(block(150, 60, QSizePolicy::Preferred), path, orbel::ColorScheme::Light, 1e12));
    EXPECT_TRUE(SnapshotWindow::failed());
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
} // namespace pelorin
