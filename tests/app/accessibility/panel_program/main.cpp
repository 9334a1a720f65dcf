// The tray panel on a real display, for the screen-reader tests: the panel
// content in the tray's own panel window (the frameless drop-down), over a
// staged session and a fixed wall clock, so that what the panel says is known
// to the minute.
//
//   pelorin_accessible_panel <state>
//
// <state> is one of ready, off, active, failure, retained-failure, starting,
// stopping (a one-hour session, a quarter of an hour in, for the states that
// have a session). Once the panel is on screen the program prints
//
//   shown<TAB><caption><TAB><spoken value>
//
// with what the readout card offers screen readers, and again after each
// "stage <state>" line read from standard input. It quits cleanly when its
// standard input closes.

#include "app_model.h"
#include "countdown.h"
#include "energy_service.h"
#include "menu_view.h"
#include "panel_header.h"
#include "panel_host.h"
#include "pelorin_preferences.h"
#include "session_controller.h"
#include "session_readout_view.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
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

std::optional<AppModel::Scenario> scenario(const QString &name)
{
    static const std::map<QString, AppModel::Scenario> scenarios{
        {u"ready"_s, AppModel::Ready},
        {u"off"_s, AppModel::Off},
        {u"active"_s, AppModel::Active},
        {u"failure"_s, AppModel::Failure},
        {u"retained-failure"_s, AppModel::RetainedFailure},
        {u"starting"_s, AppModel::Starting},
        {u"stopping"_s, AppModel::Stopping},
    };
    const auto found = scenarios.find(name);
    if (found == scenarios.end())
        return std::nullopt;
    return found->second;
}

// Friday 14 March 2025, 15:00 UTC (the tests run with TZ=UTC).
Date fixedNow()
{
    return Date::fromUnixSeconds(1741964400.0);
}

void report(const SessionReadoutView &readout)
{
    std::printf("shown\t%s\t%s\n", qUtf8Printable(readout.accessibleCaption()),
                qUtf8Printable(readout.accessibleReadout()));
    std::fflush(stdout);
}

void reportSettings(AppModel &model, const MenuView &view)
{
    std::printf("settings\t%d\t%d\t%s\n", int(model.preferences().armed()),
                int(model.countdown().selection().keepsDisplayAwake), qUtf8Printable(view.panel()->header()->status()));
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
    const std::optional<AppModel::Scenario> initial = arguments.size() == 2 ? scenario(arguments[1]) : std::nullopt;
    if (!initial) {
        std::fprintf(stderr, "usage: pelorin_accessible_panel ready|off|active|failure|retained-failure|"
                             "starting|stopping\n");
        return 2;
    }

    auto countdown = std::make_unique<Countdown>(SessionController::makeDefault(std::make_shared<IdleEnergyService>()));
    // A staged model opens no settings file and has no login item.
    auto preferences = std::make_unique<PelorinPreferences>(QString(), true, nullptr);
    countdown->setIsArmed([p = preferences.get()] { return p->armed(); });
    countdown->setSelection({SessionDuration::hour1(), countdown->selection().keepsDisplayAwake});
    AppModel model(std::move(countdown), std::move(preferences), false, false, true);
    model.applySnapshotFixture(*initial);

    orbel::OrbelEnvironment environment;
    environment.reduceMotion = true;
    auto *content = new MenuView(model, environment, u"en_US"_s, std::nullopt, &fixedNow);

    // Wired as the tray wires it: the window tells the model when the panel
    // is on screen.
    PanelHost host(PanelHost::Style::dropDown);
    host.setContent(content);
    QObject::connect(&host, &PanelHost::appeared, &model, [&model] { model.setPanelVisible(true); });
    QObject::connect(&host, &PanelHost::disappeared, &model, [&model] { model.storePanelVisible(false); });
    host.open(QRect(600, 0, 24, 24));

    QTimer::singleShot(0, &host, [content] { report(*content->readout()); });

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
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(pending.left(end)).trimmed();
            pending.remove(0, end + 1);
            if (line == u"settings"_s) {
                reportSettings(model, *content);
                continue;
            }
            const std::optional<AppModel::Scenario> next =
                line.startsWith(u"stage "_s) ? scenario(line.mid(6)) : std::nullopt;
            if (!next) {
                std::fprintf(stderr, "unknown command: %s\n", qUtf8Printable(line));
                continue;
            }
            model.applySnapshotFixture(*next);
            QTimer::singleShot(0, &host, [content] { report(*content->readout()); });
        }
    });

    return QApplication::exec();
}
