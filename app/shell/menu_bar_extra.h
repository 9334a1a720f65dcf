#pragma once

#include "app_status.h"

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>

class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace pelorin {

class AppModel;
class PanelHost;

// The program's place on the desktop: a tray icon that follows the session
// state and opens the panel, or, where no tray exists, the panel as an
// ordinary window.
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    using ContentFactory = std::function<QWidget *(AppModel &)>;

    MenuBarExtra(AppModel &model, ContentFactory content, QObject *parent = nullptr);
    ~MenuBarExtra() override;

    // Shows the icon, or the standalone window when there is no tray.
    void install();

    PanelHost *panel() const { return m_panel; }
    AppStatus status() const { return m_status; }
    void openPanel();
    void togglePanel();

    // The tray icon of a status, drawn to be told apart at 16 to 24 pixels
    // on light and dark panels alike.
    static QIcon statusIcon(AppStatus status);

Q_SIGNALS:
    void quitRequested();
    void statusChanged(pelorin::AppStatus status);

private:
    void updateStatus();
    void ensureContent();
    QRect anchor() const;

    QPointer<AppModel> m_model;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    PanelHost *m_panel = nullptr;
    ContentFactory m_content;
    AppStatus m_status = AppStatus::off;
};

} // namespace pelorin
