#pragma once

#include "local_time_monitor.h"
#include "menu_view.h"
#include "orbel_environment.h"

#include <QDBusConnection>
#include <QString>

#include <functional>
#include <optional>

namespace pelorin {

class AppModel;

// How the tray panel is drawn and what its footer does.
struct PanelContentOptions {
    // Colour scheme, text size and reduced motion. The panel tints its
    // controls with the brand's accent itself.
    orbel::OrbelEnvironment environment;
    // Keep following the desktop's colour scheme and animation setting (read
    // from the desktop portal, else from the application palette), starting
    // from `environment`, and the system's clock and time zone. The tray's
    // panel does; a snapshot keeps what it was given.
    bool followsDesktop = false;
    // Where the desktop's settings are read when following them; absent
    // means the session bus.
    std::optional<QDBusConnection> desktopBus;
    // Where a jump of the wall clock or a new time zone is heard of when
    // following the desktop: timedated on the system bus, the zone file.
    LocalTimeMonitor::Sources timeSources;
    // The ICU locale identifier for times and dates; empty for the
    // environment's.
    QString locale;
    // A forced height limit for the panel (snapshot runs only); absent means
    // the limit of the screen the panel is on.
    std::optional<double> panelHeight;
    // A session shown in place of the model's (snapshot runs only).
    std::optional<SessionFacts> staged;
    // The wall clock the status line and the tiles read; absent means the
    // system's.
    MenuView::Clock clock;
    // The panel tells the model itself when it appears and disappears. The
    // tray's panel window does that already; a snapshot host does not.
    bool reportsVisibility = false;
    // The footer's actions. Quit ends the program through its orderly path;
    // the other two open windows and may be set later on the view.
    std::function<void()> quit;
    std::function<void()> showGuide;
    std::function<void()> showPreferences;
};

// The content of the tray panel over the model.
MenuView *makePanelContent(AppModel &model, PanelContentOptions options);

// The tray's panel: the desktop's colour scheme and animation setting, the
// everyday text size and the environment's locale; `quit` ends the program
// through its orderly path. Over a snapshot model the panel follows no
// desktop setting and reports its own appearance instead.
MenuView *makePanelContent(AppModel &model, std::function<void()> quit);

} // namespace pelorin
