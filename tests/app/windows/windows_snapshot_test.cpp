// The two windows drawn by the real program in snapshot mode, as a user
// runs it: light and dark, both text sizes, English and German.
#include "app/snapshot/snapshot_program.h"

#include "translations.h"

#include <QColor>
#include <QCoreApplication>

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace pelorin::test {
namespace {

double meanLightness(const QImage &image)
{
    double sum = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            sum += QColor(image.pixel(x, y)).lightnessF();
    }
    return sum / (double(image.width()) * image.height());
}

// Whether the program's German translation has the windows' texts.
bool germanHasTheWindowsTexts()
{
    installTranslations(u"de"_s);
    const bool translated =
        QCoreApplication::translate("pelorin::PreferencesView", "Preferences") != u"Preferences"_s &&
        QCoreApplication::translate("pelorin::WelcomeView", "Keep your Mac working") != u"Keep your Mac working"_s;
    installTranslations(u"en_US"_s);
    return translated;
}

using WindowSnapshots = SnapshotProgram;

TEST_F(WindowSnapshots, BothWindowsLightAndDarkAtBothSizesInEveryLanguage)
{
    using Key = std::tuple<QString, QString, QString, QString>;
    std::vector<QStringList> argumentLists;
    std::vector<Key> keys;
    for (const QString &screen : {u"--snapshot-preferences"_s, u"--snapshot-welcome"_s}) {
        for (const QString &appearance : {u"light"_s, u"dark"_s}) {
            for (const QString &size : {u"normal"_s, u"maximum"_s}) {
                for (const QString &language : {u"en"_s, u"de"_s}) {
                    argumentLists.push_back({screen, u"--snapshot-appearance"_s, appearance, u"--snapshot-size"_s, size,
                                             u"--snapshot-language"_s, language, u"--snapshot-file"_s, u"-"_s});
                    keys.emplace_back(screen, appearance, size, language);
                }
            }
        }
    }
    const std::vector<ProgramRun> runs = runAll(argumentLists);
    std::map<Key, const ProgramRun *> byKey;
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const ProgramRun &run = runs[i];
        EXPECT_FALSE(run.crashed) << testing::PrintToString(run);
        EXPECT_EQ(run.exitCode, 0) << testing::PrintToString(run);
        EXPECT_EQ(run.err, QByteArray()) << testing::PrintToString(run);
        ASSERT_TRUE(run.isPng()) << testing::PrintToString(run);
        EXPECT_EQ(run.picture().width(), 560) << testing::PrintToString(run);
        byKey[keys[i]] = &run;
    }
    EXPECT_EQ(filesBelow(configDirectory()), QStringList()) << "a snapshot writes no settings";

    const auto at = [&](const QString &screen, const QString &appearance, const QString &size,
                        const QString &language) -> const ProgramRun & {
        return *byKey.at(Key{screen, appearance, size, language});
    };
    for (const QString &screen : {u"--snapshot-preferences"_s, u"--snapshot-welcome"_s}) {
        for (const QString &language : {u"en"_s, u"de"_s}) {
            for (const QString &size : {u"normal"_s, u"maximum"_s}) {
                const QImage light = at(screen, u"light"_s, size, language).picture();
                const QImage dark = at(screen, u"dark"_s, size, language).picture();
                EXPECT_EQ(light.size(), dark.size()) << screen.toStdString();
                EXPECT_LT(meanLightness(dark) + 0.4, meanLightness(light)) << screen.toStdString();
            }
            for (const QString &appearance : {u"light"_s, u"dark"_s}) {
                const QImage normal = at(screen, appearance, u"normal"_s, language).picture();
                const QImage maximum = at(screen, appearance, u"maximum"_s, language).picture();
                EXPECT_GT(maximum.height(), normal.height() * 2) << screen.toStdString();
            }
        }
    }
    EXPECT_NE(at(u"--snapshot-preferences"_s, u"light"_s, u"normal"_s, u"en"_s).out,
              at(u"--snapshot-welcome"_s, u"light"_s, u"normal"_s, u"en"_s).out);
}

TEST_F(WindowSnapshots, InGermanBothWindowsSayItInGerman)
{
    if (!germanHasTheWindowsTexts())
        GTEST_SKIP() << "the German translation has none of the windows' texts yet";
    const std::vector<ProgramRun> runs = runAll(std::vector<QStringList>{
        {u"--snapshot-preferences"_s, u"--snapshot-language"_s, u"en"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-preferences"_s, u"--snapshot-language"_s, u"de"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-welcome"_s, u"--snapshot-language"_s, u"en"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-welcome"_s, u"--snapshot-language"_s, u"de"_s, u"--snapshot-file"_s, u"-"_s},
    });
    for (const ProgramRun &run : runs) {
        ASSERT_TRUE(run.isPng()) << testing::PrintToString(run);
        EXPECT_EQ(run.picture().width(), 560) << testing::PrintToString(run);
    }
    EXPECT_NE(runs[1].out, runs[0].out);
    EXPECT_NE(runs[3].out, runs[2].out);
}

TEST_F(WindowSnapshots, ThePreferencesWinOverTheWelcomeInEitherOrder)
{
    const std::vector<ProgramRun> runs = runAll(std::vector<QStringList>{
        {u"--snapshot-preferences"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-welcome"_s, u"--snapshot-preferences"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-preferences"_s, u"--snapshot-welcome"_s, u"--snapshot-file"_s, u"-"_s},
        {u"--snapshot-welcome"_s, u"--snapshot-file"_s, u"-"_s},
    });
    for (const ProgramRun &run : runs) {
        ASSERT_TRUE(run.isPng()) << testing::PrintToString(run);
        EXPECT_EQ(run.exitCode, 0) << testing::PrintToString(run);
    }
    EXPECT_EQ(runs[1].out, runs[0].out);
    EXPECT_EQ(runs[2].out, runs[0].out);
    EXPECT_NE(runs[3].out, runs[0].out);
}

} // namespace
} // namespace pelorin::test
