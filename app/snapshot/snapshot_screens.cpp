#include "snapshot_screens.h"

#include "panel_content.h"
#include "preferences_view.h"
#include "translations.h"
#include "welcome_view.h"

namespace pelorin {

namespace {

QWidget *keepsItsHeight(QWidget *view)
{
    view->setSizePolicy(view->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
    return view;
}

} // namespace

SnapshotScreens defaultSnapshotScreens()
{
    SnapshotScreens screens;
    screens.panel = [](AppModel &model, const SnapshotScreenOptions &snapshot) -> QWidget * {
        PanelContentOptions options;
        options.environment = snapshot.environment;
        options.locale = snapshot.localeIdentifier;
        options.panelHeight = snapshot.panelHeight;
        options.staged = snapshot.session;
        // No tray host shows a picture, so the panel reports its own appearance.
        options.reportsVisibility = true;
        return makePanelContent(model, std::move(options));
    };
    // The windows' contents as their windows show them, without the window:
    // 560 wide and as tall as they need, whatever height is proposed, since
    // their windows never grow or shrink. Their environment is the one asked
    // for; nothing follows the desktop.
    screens.preferences = [](AppModel &model, const SnapshotScreenOptions &snapshot) -> QWidget * {
        return keepsItsHeight(new PreferencesView(model, snapshot.environment));
    };
    screens.welcome = [](AppModel &model, const SnapshotScreenOptions &snapshot) -> QWidget * {
        return keepsItsHeight(new WelcomeView(model, snapshot.environment));
    };
    screens.installTranslations = [](const QString &localeIdentifier) { installTranslations(localeIdentifier); };
    return screens;
}

} // namespace pelorin
