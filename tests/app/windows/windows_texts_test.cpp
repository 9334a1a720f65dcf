// What the snapshot screens of the two windows say, in English and, where the
// translation has them, in German.
#include "windows_test_support.h"

#include "snapshot/snapshot_screens.h"
#include "translations.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

using namespace pelorin;
using namespace pelorin::windowstest;

namespace {

const char preferencesContext[] = "pelorin::PreferencesView";
const char welcomeContext[] = "pelorin::WelcomeView";

// The English texts of each page, in the order they show, with the class
// whose translations they come from (the brand's privacy line is the kit's).
struct Text {
    const char *context;
    const char *english;
};

const Text preferencesTexts[] = {
    {preferencesContext, "Preferences"},
    {preferencesContext, "General"},
    {preferencesContext, "Open at Login"},
    {preferencesContext, "Opening Pelorin never starts a session. Click a duration when you need it."},
};

const Text welcomeTexts[] = {
    {welcomeContext, "Keep your Mac working"},
    {welcomeContext, "Click a duration in the menu bar, and your Mac stays awake until it ends."},
    {welcomeContext, "You decide when it ends"},
    {welcomeContext, "When time runs out, or you turn Pelorin off, macOS can sleep again. Other apps may still keep it "
                     "awake."},
    {welcomeContext, "Closing the lid, critical battery, or choosing Sleep can still put your Mac to sleep. Pelorin "
                     "does not resume after sleep or reopening."},
    {welcomeContext, "A timer does not know when another app has finished its work."},
    {"OrbelBrand", "No internet, no data collected"},
    {welcomeContext, "Your Mac, under your control"},
    {"orbel::WelcomeStepsLayout", "Open at Login"},
    {welcomeContext, "Let\u2019s go"},
};

// The texts that only show in some states, and the window titles.
const Text otherTexts[] = {
    {preferencesContext, "Allow Pelorin to open at login"},
    {preferencesContext, "The login setting could not change"},
    {preferencesContext, "Review Pelorin in Login Items in System Settings."},
    {preferencesContext, "Open System Settings"},
    {welcomeContext, "Getting Started"},
};

template<std::size_t N>
QStringList translated(const Text (&texts)[N])
{
    QStringList result;
    for (const Text &text : texts)
        result.append(QCoreApplication::translate(text.context, text.english));
    return result;
}

template<std::size_t N>
QStringList english(const Text (&texts)[N])
{
    QStringList result;
    for (const Text &text : texts)
        result.append(QString::fromUtf8(text.english));
    return result;
}

// How many of the windows' own texts the loaded translation has.
int translatedCount()
{
    int count = 0;
    for (const Text &text : preferencesTexts)
        count += QCoreApplication::translate(text.context, text.english) != QString::fromUtf8(text.english);
    for (const Text &text : welcomeTexts)
        count += QCoreApplication::translate(text.context, text.english) != QString::fromUtf8(text.english);
    for (const Text &text : otherTexts)
        count += QCoreApplication::translate(text.context, text.english) != QString::fromUtf8(text.english);
    return count;
}

class WindowsTexts : public ::testing::Test {
protected:
    void TearDown() override { installTranslations(u"en_US"_s); }
};

} // namespace

TEST_F(WindowsTexts, TheGermanTranslationHasEveryTextOfTheWindows)
{
    installTranslations(u"de"_s);
    const int count = translatedCount();
    if (count == 0)
        GTEST_SKIP() << "the German translation has none of the windows' texts yet";
    EXPECT_EQ(count, int(std::size(preferencesTexts) + std::size(welcomeTexts) + std::size(otherTexts)));
}
