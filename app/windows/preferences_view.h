#pragma once

#include "orbel_environment.h"

#include <QPointer>
#include <QString>
#include <QWidget>

namespace orbel {
class PreferencesGroup;
class PreferencesLayout;
class PreferencesNote;
class PreferencesStatusRow;
class PreferencesToggleRow;
} // namespace orbel

namespace pelorin {

class AppModel;

// The content of the preferences window: Pelorin's heading over one "General"
// card holding the "Open at Login" switch, a note, and, when the login item
// needs the user's attention, a warning with a way to the desktop's startup
// settings. It keeps nothing of its own: the switch, whether it can be used
// and the warning all follow the model's preferences as they change.
class PreferencesView : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    PreferencesView(AppModel &model, const orbel::OrbelEnvironment &environment, QWidget *parent = nullptr);
    ~PreferencesView() override;

    // The window's title, "Preferences".
    static QString title();

    orbel::PreferencesLayout *page() const { return m_page; }
    orbel::PreferencesGroup *group() const { return m_group; }
    orbel::PreferencesToggleRow *loginRow() const { return m_loginRow; }
    orbel::PreferencesNote *note() const { return m_note; }
    // The one status row; hidden while there is nothing to report.
    orbel::PreferencesStatusRow *statusRow() const { return m_statusRow; }

    // "Open System Settings": the desktop's settings for the programs started
    // at login. Nothing opens in a snapshot run.
    void openLoginItemsSettings();

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void environmentChanged() override;

private:
    void refresh();

    QPointer<AppModel> m_model;
    orbel::PreferencesLayout *m_page = nullptr;
    orbel::PreferencesGroup *m_group = nullptr;
    orbel::PreferencesToggleRow *m_loginRow = nullptr;
    orbel::PreferencesNote *m_note = nullptr;
    orbel::PreferencesStatusRow *m_statusRow = nullptr;
};

// The preferences action of the panel ("Preferences", Ctrl+comma): shows the
// one preferences window over the model, 560 wide, following the desktop's
// colour scheme. A window already open is only brought forward.
void showPreferences(AppModel &model);

} // namespace pelorin
