#include "snapshot_window.h"

#include "app_model.h"
#include "orbel_snapshot.h"
#include "regular_file.h"
#include "snapshot_renderer.h"
#include "xdg_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QWidget>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <locale.h>
#include <utility>

using namespace Qt::StringLiterals;

namespace pelorin::SnapshotWindow {

namespace {

using orbel::OrbelSnapshot::flag;
using orbel::OrbelSnapshot::value;

bool valueIs(const QString &option, QLatin1StringView expected, const QStringList &arguments)
{
    const std::optional<QString> given = value(option, arguments);
    return given && *given == expected;
}

// The "C" locale for number parsing, whatever LC_NUMERIC the process runs
// under (QCoreApplication adopts the user's, which may write 1,5).
locale_t posixLocale()
{
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return locale;
}

bool isAsciiSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}

} // namespace

std::optional<SessionDuration> stagedDuration(const QStringList &arguments)
{
    const std::optional<QString> given = value(durationOption, arguments);
    if (!given)
        return std::nullopt;
    if (*given == "custom"_L1)
        return SessionDuration::custom(Duration::seconds(5400));
    if (*given == "unlimited"_L1)
        return SessionDuration::untilStopped();
    if (*given == "long-hours"_L1)
        return SessionDuration::custom(Duration::seconds(360900));
    if (*given == "maximum-hours"_L1)
        return SessionDuration::custom(Duration::seconds(std::int64_t(INT64_MAX - 3600)));
    if (*given == "subsecond"_L1)
        return SessionDuration::custom(Duration::milliseconds(900900));
    return std::nullopt;
}

Scenario fixtureScenario(const QStringList &arguments)
{
    static const std::array<std::pair<QLatin1StringView, Scenario>, 6> scenarios{{
        {"off"_L1, Scenario::off},
        {"active"_L1, Scenario::active},
        {"failure"_L1, Scenario::failure},
        {"retained-failure"_L1, Scenario::retainedFailure},
        {"starting"_L1, Scenario::starting},
        {"stopping"_L1, Scenario::stopping},
    }};
    const std::optional<QString> given = value(stateOption, arguments);
    if (!given)
        return Scenario::ready;
    for (const auto &[name, scenario] : scenarios) {
        if (*given == name)
            return scenario;
    }
    return Scenario::ready;
}

SessionFacts stagedSession(Scenario scenario, const SessionSelection &selection, Date now)
{
    constexpr int sampleElapsed = 900;
    const Session sample(SessionID::random(), selection, now.addingTimeInterval(-sampleElapsed));
    SessionFacts staged;
    staged.armed = scenario != Scenario::off;
    switch (scenario) {
    case Scenario::ready:
    case Scenario::off:
        break;
    case Scenario::active:
        staged.state = SessionState::active(sample);
        break;
    case Scenario::failure:
        staged.state =
            SessionState::failed(EnergyFailure(EnergyFailure::Operation::createSystem, -1, false), std::nullopt);
        break;
    case Scenario::retainedFailure:
        staged.state = SessionState::failed(EnergyFailure(EnergyFailure::Operation::release, -1, true), sample);
        break;
    case Scenario::starting:
        staged.state = SessionState::starting(sample);
        break;
    case Scenario::stopping:
        staged.state = SessionState::stopping(sample);
        break;
    }
    if (const std::optional<Session> &session = staged.state.session(); session && session->effectiveDuration)
        staged.remaining = std::max(*session->effectiveDuration - Duration::seconds(sampleElapsed), Duration::zero());
    return staged;
}

orbel::ColorScheme colorScheme(const QStringList &arguments)
{
    return valueIs(appearanceOption, "dark"_L1, arguments) ? orbel::ColorScheme::Dark : orbel::ColorScheme::Light;
}

orbel::TextSize textSize(const QStringList &arguments)
{
    return valueIs(sizeOption, "maximum"_L1, arguments) ? orbel::TextSize::Accessibility5 : orbel::TextSize::Large;
}

std::optional<double> parsePositiveNumber(const QString &text)
{
    // strtod would skip leading white space itself; the value must not have any.
    if (text.isEmpty() || isAsciiSpace(text.front()))
        return std::nullopt;
    const QByteArray bytes = text.toUtf8();
    const char *begin = bytes.constData();
    char *end = nullptr;
    const double number = strtod_l(begin, &end, posixLocale());
    if (end == begin || end != begin + bytes.size())
        return std::nullopt;
    if (!std::isfinite(number) || !(number > 0))
        return std::nullopt;
    return number;
}

std::optional<double> positiveNumber(const QString &option, const QStringList &arguments)
{
    const std::optional<QString> given = value(option, arguments);
    return given ? parsePositiveNumber(*given) : std::nullopt;
}

Screen screen(const QStringList &arguments)
{
    if (flag(preferencesFlag, arguments))
        return Screen::Preferences;
    if (flag(welcomeFlag, arguments))
        return Screen::Welcome;
    return Screen::Panel;
}

QString outputPath(const QStringList &arguments)
{
    if (const std::optional<QString> given = value(fileOption, arguments))
        return *given;
    // Where no other user can plant a link under the name: the user's own
    // runtime folder, else the temporary folder, where writing refuses
    // anything but a regular file.
    QString folder = orbel::XdgFolders::runtimeFolder();
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return QDir(folder).filePath(defaultFileName);
}

SnapshotScreenOptions screenOptions(const QStringList &arguments)
{
    SnapshotScreenOptions options;
    options.environment.scheme = colorScheme(arguments);
    options.environment.textSize = textSize(arguments);
    options.environment.reduceMotion = true;
    options.localeIdentifier = value(languageOption, arguments).value_or(QLocale::system().name());
    options.panelHeight = positiveNumber(panelHeightOption, arguments);
    return options;
}

SessionFacts stageModel(AppModel &model, const QStringList &arguments)
{
    Countdown &countdown = model.countdown();
    // A snapshot starts no session, so the countdown takes a new selection.
    if (const std::optional<SessionDuration> duration = stagedDuration(arguments))
        countdown.setSelection({*duration, countdown.selection().keepsDisplayAwake});
    if (valueIs(displayOption, "no"_L1, arguments))
        countdown.setSelection({countdown.selection().duration, false});
    return stagedSession(fixtureScenario(arguments), countdown.selection(), Date::now());
}

QWidget *rootView(AppModel &model, const SnapshotScreenOptions &options, const SnapshotScreens &screens,
                  const QStringList &arguments)
{
    const SnapshotScreenFactory *factory = nullptr;
    switch (screen(arguments)) {
    case Screen::Preferences:
        factory = &screens.preferences;
        break;
    case Screen::Welcome:
        factory = &screens.welcome;
        break;
    case Screen::Panel:
        factory = &screens.panel;
        break;
    }
    if (!*factory)
        return nullptr;
    QWidget *root = (*factory)(model, options);
    if (!root)
        return nullptr;
    root->setLocale(options.locale());
    return root;
}

QCoro::Task<> run(QPointer<AppModel> model, QStringList arguments, SnapshotScreens screens,
                  std::function<void(int)> exit)
{
    if (!orbel::OrbelSnapshot::isActive(arguments))
        co_return;
    if (!exit)
        exit = [](int status) { QCoreApplication::exit(status); };

    const QString path = outputPath(arguments);
    std::unique_ptr<QWidget> root;
    if (model) {
        SnapshotScreenOptions options = screenOptions(arguments);
        options.session = stageModel(*model, arguments);
        // Texts and formats follow the chosen language from the first widget on.
        QLocale::setDefault(options.locale());
        if (screens.installTranslations)
            screens.installTranslations(options.localeIdentifier);
        root.reset(rootView(*model, options, screens, arguments));
    }

    if (root)
        co_await render(std::move(root), path, colorScheme(arguments), positiveNumber(proposalHeightOption, arguments));
    else
        reportFailure();

    if (path != "-"_L1 && !failed()) {
        const QByteArray line =
            QByteArrayLiteral("Pelorin offscreen snapshot: ") + orbel::RegularFile::encodeName(path) + '\n';
        std::fwrite(line.constData(), 1, std::size_t(line.size()), stderr);
        std::fflush(stderr);
    }
    exit(failed() ? 1 : 0);
}

} // namespace pelorin::SnapshotWindow
