// The kit's plain welcome page in its window: Return starts, and the login
// switch shows what changed while the window was closed.
#include "kit_test_support.h"

#include "orbel_switch.h"
#include "welcome_layout.h"
#include "window_singletons.h"

#include <QFileInfo>
#include <QPointer>
#include <QTest>

using namespace orbel;
using namespace orbel::test;

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
