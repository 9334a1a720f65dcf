#include "window_content.h"

#include "app_model.h"
#include "brand_palette.h"
#include "desktop_appearance.h"

#include <QPalette>
#include <QPointer>
#include <QWidget>

namespace pelorin::WindowContent {

orbel::OrbelEnvironment initialEnvironment()
{
    return orbel::OrbelEnvironment{};
}

void followDesktop(QWidget *view)
{
    new DesktopAppearance(view);
}

void applySchemePalette(QWidget *view, orbel::ColorScheme scheme)
{
    QPalette palette = view->palette();
    palette.setColor(QPalette::Window, orbel::BrandPalette::background(scheme));
    palette.setColor(QPalette::WindowText, orbel::BrandPalette::primary(scheme));
    view->setPalette(palette);
}

std::unique_ptr<QWidget> boundToModel(AppModel &model, const std::function<QWidget *(AppModel &)> &build)
{
    std::unique_ptr<QWidget> content(build(model));
    // No context object: the connection lasts as long as the model, and the
    // content may already be gone with its window when the model goes.
    QObject::connect(&model, &QObject::destroyed, [content = QPointer<QWidget>(content.get())] {
        if (!content)
            return;
        QWidget *window = content->window();
        if (window != content)
            delete window;
    });
    return content;
}

} // namespace pelorin::WindowContent
