// pelorin_accessible_panel ready|off|active|failure|retained-failure|starting|stopping
//
// The tray panel on a real display, for the screen-reader tests: the panel
// content in the tray's own drop-down window over a staged session (an hour
// long, a quarter of an hour in) and a fixed wall clock; "ready" is the
// model itself, where nothing has started and the switch is on. It prints
// "shown<TAB>caption<TAB>value", what the readout card offers screen
// readers, once on screen and after each "stage <state>" line on its
// standard input; "settings" lines are answered as printSettings() says.
// It quits cleanly when its standard input closes.

#include "app_model.h"
#include "countdown.h"
#include "duration_grid.h"
#include "energy_service.h"
#include "menu_view.h"
#include "panel_header.h"
#include "panel_host.h"
#include "pelorin_preferences.h"
#include "session_controller.h"
#include "session_readout_view.h"
#include "snapshot_window.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

using namespace pelorin;
using namespace Qt::StringLiterals;

namespace {

// A staged model takes no locks; should anything ask, nothing happens.
class IdleEnergyService final : public EnergyService {
public:
    QCoro::Task<> acquire(Session, std::optional<Duration>) override { co_return; }
    QCoro::Task<> release(SessionID) override { co_return; }
    QCoro::Task<> extend(Session, std::optional<Duration>) override { co_return; }
};

// In the order of SnapshotWindow::Scenario.
const QStringList scenarios{u"ready"_s,    u"off"_s,     u"active"_s, u"failure"_s, u"retained-failure"_s,
                            u"starting"_s, u"stopping"_s};

// Friday 14 March 2025, 15:00 UTC (the tests run with TZ=UTC).
Date fixedNow()
{
    return Date::fromUnixSeconds(1741964400.0);
}

void print(const QStringList &fields)
{
    std::printf("%s\n", qUtf8Printable(fields.join(u'\t')));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // Screen readers list the program by its application name.
    QApplication::setApplicationName(u"Pelorin"_s);
    QApplication::setDesktopFileName(QStringLiteral(PELORIN_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);

    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 || !scenarios.contains(arguments[1])) {
        std::fprintf(stderr, "usage: pelorin_accessible_panel %s\n", qPrintable(scenarios.join(u'|')));
        return 2;
    }

    auto countdown = std::make_unique<Countdown>(SessionController::makeDefault(std::make_shared<IdleEnergyService>()));
    // A staged model opens no settings file and has no login item.
    auto preferences = std::make_unique<PelorinPreferences>(QString(), true, nullptr);
    countdown->setIsArmed([p = preferences.get()] { return p->armed(); });
    countdown->setSelection({SessionDuration::hour1(), countdown->selection().keepsDisplayAwake});
    AppModel model(std::move(countdown), std::move(preferences), false, false, true);
    orbel::OrbelEnvironment environment;
    environment.reduceMotion = true;
    auto *content = new MenuView(model, environment, u"en_US"_s, std::nullopt, &fixedNow);
    const auto stage = [&model, content](const QString &state) {
        if (state == u"ready"_s)
            return content->stage(std::nullopt);
        const auto scenario = static_cast<SnapshotWindow::Scenario>(scenarios.indexOf(state));
        content->stage(SnapshotWindow::stagedSession(scenario, model.countdown().selection(), fixedNow()));
    };
    stage(arguments[1]);

    // Once the card has followed the model.
    const auto printShown = [content] {
        QTimer::singleShot(0, content, [content] {
            print({u"shown"_s, content->readout()->accessibleCaption(), content->readout()->accessibleReadout()});
        });
    };
    // Armed (0 or 1), the display kept on (0 or 1), the next session's
    // duration tile, the status line.
    const auto printSettings = [&] {
        const SessionSelection selection = model.countdown().selection();
        print({u"settings"_s, QString::number(model.preferences().armed()),
               QString::number(selection.keepsDisplayAwake), DurationGrid::title(selection.duration),
               content->panel()->header()->status()});
    };

    // Wired as the tray wires it: the window tells the model when the panel
    // is on screen.
    PanelHost host(PanelHost::Style::dropDown);
    host.setContent(content);
    QObject::connect(&host, &PanelHost::appeared, &model, [&model] { model.setPanelVisible(true); });
    QObject::connect(&host, &PanelHost::disappeared, &model, [&model] { model.storePanelVisible(false); });
    host.open(QRect(600, 0, 24, 24));
    printShown();

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &model, [&] {
        char buffer[256];
        const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (count <= 0) {
            input.setEnabled(false);
            host.hide();
            QApplication::quit();
            return;
        }
        pending.append(buffer, count);
        for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1)) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            if (line == u"settings"_s)
                printSettings();
            else if (line.startsWith(u"stage "_s) && scenarios.contains(line.mid(6))) {
                stage(line.mid(6));
                printShown();
            } else
                std::fprintf(stderr, "unknown command: %s\n", qUtf8Printable(line));
        }
    });

    return QApplication::exec();
}
