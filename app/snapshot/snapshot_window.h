#pragma once

#include "app_model.h"
#include "session.h"
#include "session_facts.h"
#include "snapshot_screens.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <functional>
#include <optional>

class QWidget;

namespace pelorin {

// The command-line snapshot: draws one screen in a staged state to PNG,
// without a display, and ends the process. Every function reads the options
// from the argument list it is given, the program path included; an option's
// value is always the next argument, and only an option's first occurrence
// counts. Unknown values fall back to the defaults silently.
namespace SnapshotWindow {

inline const QString durationOption = QStringLiteral("--snapshot-duration");
inline const QString displayOption = QStringLiteral("--snapshot-display");
inline const QString stateOption = QStringLiteral("--snapshot-state");
inline const QString languageOption = QStringLiteral("--snapshot-language");
inline const QString panelHeightOption = QStringLiteral("--snapshot-panel-height");
inline const QString sizeOption = QStringLiteral("--snapshot-size");
inline const QString appearanceOption = QStringLiteral("--snapshot-appearance");
inline const QString proposalHeightOption = QStringLiteral("--snapshot-proposal-height");
inline const QString fileOption = QStringLiteral("--snapshot-file");
inline const QString preferencesFlag = QStringLiteral("--snapshot-preferences");
inline const QString welcomeFlag = QStringLiteral("--snapshot-welcome");

// The output name used when no file is given, in the user's runtime folder
// ($XDG_RUNTIME_DIR) or, without a private one, the temporary folder.
inline const QString defaultFileName = QStringLiteral("pelorin-snapshot.png");

// Which screen a run draws: the preferences win over the welcome window,
// which wins over the panel.
enum class Screen { Panel, Preferences, Welcome };

// The states a picture can show.
enum class Scenario { ready, off, active, failure, retainedFailure, starting, stopping };

// The staged duration of "--snapshot-duration"; absent keeps the selection's.
std::optional<SessionDuration> stagedDuration(const QStringList &arguments);
// The staged state of "--snapshot-state": "off", "active", "failure",
// "retained-failure", "starting" or "stopping"; anything else is ready.
Scenario fixtureScenario(const QStringList &arguments);
// The session a picture shows for `scenario`: switched off for `off`, armed
// otherwise; the session itself, where there is one, a sample with
// `selection` that started a quarter of an hour before `now`, with the time
// left that gives (never below zero).
SessionFacts stagedSession(Scenario scenario, const SessionSelection &selection, Date now);
orbel::ColorScheme colorScheme(const QStringList &arguments);
orbel::TextSize textSize(const QStringList &arguments);
// The option's value read as one floating-point number the way strtod reads
// it in the POSIX locale: the whole value, no leading white space, nothing
// after the number. Only a finite number above zero is returned.
std::optional<double> positiveNumber(const QString &option, const QStringList &arguments);
// The same rule for a text on its own.
std::optional<double> parsePositiveNumber(const QString &text);
Screen screen(const QStringList &arguments);
// "--snapshot-file" as given (checked only when the picture is written), or
// the default name in the runtime folder, else the temporary folder.
QString outputPath(const QStringList &arguments);
SnapshotScreenOptions screenOptions(const QStringList &arguments);

// Writes the staged selection into the countdown, then returns the staged
// session, which carries that selection.
SessionFacts stageModel(AppModel &model, const QStringList &arguments);

// The screen to draw, built by its factory; null when the screen asked for is
// not available.
QWidget *rootView(AppModel &model, const SnapshotScreenOptions &options, const SnapshotScreens &screens,
                  const QStringList &arguments);

// The whole run: stages the model, builds the screen, renders it to the
// output, writes the success line on standard error for a file, and ends the
// process through `exit` (QCoreApplication::exit when empty) with status 1
// after a failure, else 0. Does nothing unless the arguments ask for a
// snapshot.
QCoro::Task<> run(QPointer<AppModel> model, QStringList arguments, SnapshotScreens screens,
                  std::function<void(int)> exit = {});

} // namespace SnapshotWindow
} // namespace pelorin
