// The kit's plain welcome page in its window: Return starts, and the login
// switch shows what changed while the window was closed; and its permission
// rows.
#include "kit_test_support.h"

#include "bordered_button.h"
#include "orbel_switch.h"
#include "permission_row.h"
#include "settle.h"
#include "text_label.h"
#include "welcome_layout.h"
#include "window_singletons.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QTest>

using namespace orbel;
using namespace orbel::test;
using pelorin::test::settle;

TEST(WelcomeLayout, ReturnRunsGetStartedAndTheSwitchShowsWhatChangedWhileHidden)
{
    ScratchLoginItem scratch(QStringLiteral("org.example.WelcomeLayoutTest"));
    LoginItem &item = scratch.item;
    OrbelEnvironment env;
    env.reduceMotion = true;
    int started = 0;
    // Hosted by the kit's plain welcome window, which takes the page's size.
    QPointer<WelcomeLayout> hosted;
    const auto build = [&] {
        auto page = std::make_unique<WelcomeLayout>(WelcomeLayout::Setup{.brand = sampleBrand(),
                                                                         .title = QStringLiteral("Welcome to Pelorin"),
                                                                         .start = [&] { ++started; }},
                                                    nullptr, QList<QWidget *>{}, item, env);
        hosted = page.get();
        return page;
    };
    WelcomeWindow::show(QStringLiteral("Welcome"), build);
    ASSERT_TRUE(hosted);
    WelcomeLayout &page = *hosted;
    QWidget *window = page.window();
    // The page's one switch, "Open at Login".
    OrbelSwitch *loginSwitch = page.findChild<OrbelSwitch *>();
    ASSERT_NE(loginSwitch, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    EXPECT_EQ(window->height(), page.heightForWidth(window->width()));
    // Opened, no control holds the focus: a first Space flips nothing.
    QTest::keyClick(window->windowHandle(), Qt::Key_Space);
    EXPECT_FALSE(loginSwitch->isChecked());

    QTest::keyClick(window, Qt::Key_Return);
    EXPECT_EQ(started, 1);
    EXPECT_FALSE(loginSwitch->isChecked());

    // The system's settings turn the login item on while the page is hidden.
    WelcomeWindow::close();
    AutostartEntry(scratch.identity).enable();
    const QDateTime written = QFileInfo(scratch.entryPath()).lastModified();
    EXPECT_FALSE(loginSwitch->isChecked());
    WelcomeWindow::show(QStringLiteral("Welcome"), build);
    ASSERT_EQ(hosted.data(), &page) << "the window keeps its page";
    EXPECT_TRUE(loginSwitch->isChecked());
    EXPECT_EQ(QFileInfo(scratch.entryPath()).lastModified(), written) << "looking registers nothing";

    // Flipping the switch unregisters at once.
    loginSwitch->click();
    EXPECT_FALSE(item.isEnabled());
    EXPECT_EQ(started, 1);
    WelcomeWindow::close();
}

namespace {

// The lowest row of `area` in `picture` that holds ink: where text stands on
// its baseline (its letters have no descenders there).
int lowestInk(const QImage &picture, QRect area)
{
    const QRgb blank = picture.pixel(area.topLeft());
    for (int y = area.bottom(); y >= area.top(); --y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (picture.pixel(x, y) != blank)
                return y;
        }
    }
    return -1;
}

} // namespace

// A permission not yet granted shows its number in the caller's colour, reads
// "Not allowed yet" and offers its button; once granted, a green check that
// reads "Allowed", and no button. "Optional" stands on the title's baseline.
TEST(PermissionRow, ShowsWhetherItIsGrantedAndOffersTheButtonUntilItIs)
{
    OrbelEnvironment large;
    large.textSize = TextSize::Accessibility5;
    large.reduceMotion = true;
    int asked = 0;
    const QColor colour(0, 90, 200);
    PermissionRow row(
        2, false, true, QStringLiteral("Camera"), QStringLiteral("To see you."), QStringLiteral("Allow"), colour,
        [&asked] { ++asked; }, large);
    row.resize(900, row.heightForWidth(900));
    row.show();
    settle();
    EXPECT_EQ(spoken(&row), (QStringList{QStringLiteral("image: Not allowed yet"), QStringLiteral("text: Camera"),
                                         QStringLiteral("text: Optional"), QStringLiteral("text: To see you."),
                                         QStringLiteral("button: Allow")}));
    EXPECT_TRUE(contains(drawn(row.badge()), colour));
    QTest::mouseClick(row.actionButton(), Qt::LeftButton);
    EXPECT_EQ(asked, 1);

    const QList<QLabel *> labels = row.findChildren<QLabel *>();
    const QLabel *optional = *std::find_if(labels.begin(), labels.end(),
                                           [](auto *label) { return label->text() == QStringLiteral("Optional"); });
    const QImage picture = row.grab().toImage();
    const QRect capital(optional->geometry().topLeft(),
                        QSize(optional->fontMetrics().horizontalAdvance(u'O'), optional->height()));
    EXPECT_NEAR(lowestInk(picture, capital), lowestInk(picture, row.titleLabel()->geometry()), 1);

    row.setGranted(true);
    settle();
    EXPECT_EQ(spoken(&row), (QStringList{QStringLiteral("image: Allowed"), QStringLiteral("text: Camera"),
                                         QStringLiteral("text: Optional"), QStringLiteral("text: To see you.")}));
    EXPECT_FALSE(contains(drawn(row.badge()), colour));
}
