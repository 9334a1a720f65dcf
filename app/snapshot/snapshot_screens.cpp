#include "snapshot_screens.h"

#include "panel_content.h"
#include "translations.h"

namespace pelorin {

SnapshotScreens defaultSnapshotScreens()
{
    SnapshotScreens screens;
    // A picture has nothing to quit.
    screens.panel = [](AppModel &model, const SnapshotScreenOptions &) { return makePanelContent(model, [] {}); };
    // The preferences and the welcome window join here once they exist; until
    // then a run that asks for them fails instead of drawing the panel.
    screens.installTranslations = [](const QString &localeIdentifier) { installTranslations(localeIdentifier); };
    return screens;
}

} // namespace pelorin
