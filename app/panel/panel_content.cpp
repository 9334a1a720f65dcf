#include "panel_content.h"

#include "app_model.h"
#include "desktop_appearance.h"

#include <utility>

namespace pelorin {

MenuView *makePanelContent(AppModel &model, PanelContentOptions options)
{
    auto *view =
        new MenuView(model, options.environment, options.locale, options.panelHeight, std::move(options.clock));
    view->setQuit(std::move(options.quit));
    // Getting Started and Preferences open the welcome and preferences
    // windows; left empty here, they can be given to the view later.
    view->setShowGuide(std::move(options.showGuide));
    view->setShowPreferences(std::move(options.showPreferences));
    view->setReportsVisibility(options.reportsVisibility);
    if (options.staged)
        view->stage(options.staged);
    if (options.followsDesktop) {
        if (options.desktopBus)
            new DesktopAppearance(view, *options.desktopBus);
        else
            new DesktopAppearance(view);
        auto *times = new LocalTimeMonitor(std::move(options.timeSources), view);
        QObject::connect(times, &LocalTimeMonitor::changed, view, &MenuView::refreshTimes);
    }
    return view;
}

MenuView *makePanelContent(AppModel &model, std::function<void()> quit)
{
    PanelContentOptions options;
    // A staged model is drawn offscreen by a host that reports nothing and
    // must reach no desktop service.
    options.followsDesktop = !model.isSnapshot();
    options.reportsVisibility = model.isSnapshot();
    options.quit = std::move(quit);
    return makePanelContent(model, std::move(options));
}

} // namespace pelorin
