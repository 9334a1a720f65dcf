// Draws both windows' pages, light and dark, at both text sizes, the way a
// snapshot draws them, into the windows gallery; and the preferences page in
// each state of the login item that it reports.
#include "windows_test_support.h"

#include "snapshot/snapshot_screens.h"

#include <QApplication>
#include <QIcon>

#include <gtest/gtest.h>

#include <memory>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

struct Look {
    orbel::ColorScheme scheme;
    orbel::TextSize size;

    QString suffix() const
    {
        QString name = scheme == orbel::ColorScheme::Dark ? u"dark"_s : u"light"_s;
        if (size == orbel::TextSize::Accessibility5)
            name += u"-accessibility5"_s;
        return name;
    }
    orbel::OrbelEnvironment environment() const
    {
        orbel::OrbelEnvironment environment;
        environment.scheme = scheme;
        environment.textSize = size;
        environment.reduceMotion = true;
        return environment;
    }
};

constexpr Look looks[] = {
    {orbel::ColorScheme::Light, orbel::TextSize::Large},
    {orbel::ColorScheme::Dark, orbel::TextSize::Large},
    {orbel::ColorScheme::Light, orbel::TextSize::Accessibility5},
    {orbel::ColorScheme::Dark, orbel::TextSize::Accessibility5},
};

// A page in a host of its own, laid out at its ideal size, settled, drawn
// twice as sharp as the screen.
QImage draw(QWidget *page)
{
    QWidget host;
    host.setAttribute(Qt::WA_DontShowOnScreen);
    auto *layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(page);
    const int width = page->sizeHint().width();
    host.resize(width, page->hasHeightForWidth() ? page->heightForWidth(width) : page->sizeHint().height());
    host.show();
    settle();
    QTest::qWait(20);
    settle();
    const QImage image = render(&host, 2.0);
    host.hide();
    return image;
}

class WindowsGallery : public ::testing::Test {
protected:
    static void SetUpTestSuite() { quietPlatformWarnings(); }

    // The program's own icon in the heading, as the program sets it.
    void SetUp() override
    {
        m_icon = QApplication::windowIcon();
        QApplication::setWindowIcon(QIcon(u":/" PELORIN_APP_ID ".svg"_s));
    }
    void TearDown() override { QApplication::setWindowIcon(m_icon); }

private:
    QIcon m_icon;
};

} // namespace

TEST_F(WindowsGallery, BothWindowsAsASnapshotDrawsThem)
{
    const SnapshotScreens screens = defaultSnapshotScreens();
    for (const Look &look : looks) {
        SCOPED_TRACE(look.suffix().toStdString());
        SnapshotScreenOptions options;
        options.environment = look.environment();
        options.localeIdentifier = u"en_US"_s;

        WindowsModel fixture(true);
        const QImage preferences = draw(screens.preferences(*fixture.model, options));
        EXPECT_EQ(preferences.width(), 1120);
        saveToGallery(preferences, u"preferences-"_s + look.suffix());

        const QImage welcome = draw(screens.welcome(*fixture.model, options));
        EXPECT_EQ(welcome.width(), 1120);
        saveToGallery(welcome, u"welcome-"_s + look.suffix());
    }
}

TEST_F(WindowsGallery, ThePreferencesInEveryStateTheyReport)
{
    for (const Look &look : {looks[0], looks[1]}) {
        SCOPED_TRACE(look.suffix().toStdString());
        {
            WindowsModel fixture;
            fixture.setLoginState(LoginItemState::requiresApproval);
            saveToGallery(draw(new PreferencesView(*fixture.model, look.environment())),
                          u"preferences-approval-"_s + look.suffix());
        }
        {
            WindowsModel fixture;
            fixture.failAChange();
            saveToGallery(draw(new PreferencesView(*fixture.model, look.environment())),
                          u"preferences-failure-"_s + look.suffix());
        }
        {
            WindowsModel fixture;
            fixture.setLoginState(LoginItemState::enabled);
            fixture.holdAChange(false);
            saveToGallery(draw(new PreferencesView(*fixture.model, look.environment())),
                          u"preferences-busy-"_s + look.suffix());
            fixture.release();
        }
    }
}
