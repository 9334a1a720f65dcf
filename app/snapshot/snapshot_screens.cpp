#include "snapshot_screens.h"

#include "panel_content.h"
#include "translations.h"

namespace pelorin {

SnapshotScreens defaultSnapshotScreens()
{
    SnapshotScreens screens;
    screens.panel = [](AppModel &model, const SnapshotScreenOptions &snapshot) -> QWidget * {
        PanelContentOptions options;
        options.environment = snapshot.environment;
        options.locale = snapshot.localeIdentifier;
        options.panelHeight = snapshot.panelHeight;
        // No tray host shows a picture, so the panel reports its own appearance.
        options.reportsVisibility = true;
        return makePanelContent(model, std::move(options));
    };
    // The preferences and the welcome window join here once they exist; until
    // then a run that asks for them fails instead of drawing the panel.
    screens.installTranslations = [](const QString &localeIdentifier) { installTranslations(localeIdentifier); };
    return screens;
}

} // namespace pelorin
