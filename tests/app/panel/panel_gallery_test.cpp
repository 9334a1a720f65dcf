// Draws the whole panel in every staged state, light and dark, into the
// panel gallery, the way a snapshot run stages and draws it.
#include "readout_test_support.h"

#include "menu_view.h"
#include "panel_content.h"

#include <QApplication>
#include <QIcon>
#include <QTest>

using namespace pelorin;
using namespace pelorin::readouttest;

namespace {

QImage drawPanel(AppModel &model, orbel::ColorScheme scheme, std::optional<double> panelHeight = std::nullopt,
                 orbel::TextSize textSize = orbel::TextSize::Large, const QString &locale = QStringLiteral("en_US"))
{
    PanelContentOptions options;
    options.environment.scheme = scheme;
    options.environment.textSize = textSize;
    options.environment.reduceMotion = true;
    options.locale = locale;
    options.panelHeight = panelHeight;
    options.reportsVisibility = true;
    std::unique_ptr<MenuView> view(makePanelContent(model, std::move(options)));
    view->show();
    QTest::qWait(50);
    view->resize(view->sizeHint());
    if (view->layout())
        view->layout()->activate();
    return render(view.get());
}

QString suffixOf(orbel::ColorScheme scheme)
{
    return scheme == orbel::ColorScheme::Dark ? QStringLiteral("dark") : QStringLiteral("light");
}

} // namespace

class PanelGallery : public ::testing::TestWithParam<orbel::ColorScheme> {
protected:
    // The program's own icon in the header, as the program sets it.
    void SetUp() override
    {
        m_icon = QApplication::windowIcon();
        QApplication::setWindowIcon(QIcon(QStringLiteral(":/" PELORIN_APP_ID ".svg")));
    }
    void TearDown() override { QApplication::setWindowIcon(m_icon); }

private:
    QIcon m_icon;
};

TEST_P(PanelGallery, EveryStagedState)
{
    const orbel::ColorScheme scheme = GetParam();
    const QString suffix = suffixOf(scheme);
    for (const StagedState &scenario : stagedStates) {
        ReadoutModel fixture(true);
        fixture.model->applySnapshotFixture(scenario.fixture);
        const QImage image = drawPanel(*fixture.model, scheme);
        EXPECT_EQ(image.width(), 368) << scenario.name;
        saveToGallery(image, QStringLiteral("panel-") + QLatin1String(scenario.name) + u'-' + suffix);
    }
}

// A forced height shorter than the panel: the same panel, scrolling.
TEST_P(PanelGallery, ScrollingUnderAForcedHeight)
{
    const orbel::ColorScheme scheme = GetParam();
    ReadoutModel fixture(true);
    fixture.model->applySnapshotFixture(AppModel::Failure);
    const QImage image = drawPanel(*fixture.model, scheme, 360.0);
    EXPECT_EQ(image.size(), QSize(368, 360));
    saveToGallery(image, QStringLiteral("panel-scrolling-") + suffixOf(scheme));
}

// The largest text size, in every staged state: everything grows and wraps,
// nothing is cut.
TEST_P(PanelGallery, LargestTextSize)
{
    const orbel::ColorScheme scheme = GetParam();
    const QString suffix = suffixOf(scheme);
    for (const StagedState &scenario : stagedStates) {
        ReadoutModel fixture(true);
        fixture.model->applySnapshotFixture(scenario.fixture);
        const QImage image = drawPanel(*fixture.model, scheme, 4000.0, orbel::TextSize::Accessibility5);
        EXPECT_EQ(image.width(), 368) << scenario.name;
        const QString name = scenario.fixture == AppModel::Ready ? QString() : QLatin1String(scenario.name) + u'-';
        saveToGallery(image, QStringLiteral("panel-largest-text-") + name + suffix);
    }

    // A count-down of more than a hundred hours, with its end on another day.
    ReadoutModel longHours(true);
    longHours.countdown().setSelection({SessionDuration::custom(Duration::seconds(360900)), true});
    longHours.model->applySnapshotFixture(AppModel::Active);
    saveToGallery(drawPanel(*longHours.model, scheme, 4000.0, orbel::TextSize::Accessibility5),
                  QStringLiteral("panel-largest-text-long-hours-") + suffix);

    ReadoutModel german(true);
    german.model->applySnapshotFixture(AppModel::Active);
    saveToGallery(drawPanel(*german.model, scheme, 4000.0, orbel::TextSize::Accessibility5, QStringLiteral("de_DE")),
                  QStringLiteral("panel-largest-text-german-") + suffix);
}

INSTANTIATE_TEST_SUITE_P(Schemes, PanelGallery, ::testing::Values(orbel::ColorScheme::Light, orbel::ColorScheme::Dark),
                         [](const ::testing::TestParamInfo<orbel::ColorScheme> &info) {
                             return suffixOf(info.param).toStdString();
                         });
