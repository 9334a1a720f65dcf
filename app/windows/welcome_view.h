#pragma once

#include "orbel_environment.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace orbel {
class TextLabel;
class WelcomeStepsLayout;
} // namespace orbel

namespace pelorin {

class AppModel;

// The content of the getting-started window: one step that says how Pelorin
// keeps the computer awake and what it cannot prevent, the "Open at Login"
// switch over the model's preferences, and "Let’s go", which closes the
// window and changes nothing else.
class WelcomeView : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    WelcomeView(AppModel &model, const orbel::OrbelEnvironment &environment, QWidget *parent = nullptr);
    ~WelcomeView() override;

    // The window's title, "Getting Started".
    static QString title();

    orbel::WelcomeStepsLayout *page() const { return m_page; }
    // The step card's paragraphs, in order.
    QList<orbel::TextLabel *> paragraphs() const;

    // "Let’s go": closes the shared welcome window if it is there. The
    // welcome was marked as seen when the window was shown.
    void finish();

protected:
    void environmentChanged() override;

private:
    QPointer<AppModel> m_model;
    orbel::WelcomeStepsLayout *m_page = nullptr;
};

// Opens the welcome window over the model, at launch or from the panel's
// "Getting Started": marks the welcome as seen first, then shows the one
// welcome window, following the desktop's colour scheme. A window already
// open is only brought forward.
void showWelcome(AppModel &model);

} // namespace pelorin
