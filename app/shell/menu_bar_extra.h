#pragma once

#include "app_status.h"

#include <QDBusConnection>
#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QAbstractNativeEventFilter;
class QMenu;
class QSystemTrayIcon;
class QWidget;

namespace pelorin {

class AppModel;
class PanelHost;
class TrayHostWatcher;

// The program's place on the desktop: a tray icon that follows the session
// state and opens the panel while a tray runs, or else the panel as an
// ordinary window. It follows the tray while it runs: a tray that comes
// later takes the icon and the window goes; a tray that goes and does not
// come back within hostReturnLimit, or does not list the icon within
// itemLimit, gives way to the window again. So Pelorin is always on the
// desktop somewhere.
class MenuBarExtra : public QObject {
    Q_OBJECT
public:
    using ContentFactory = std::function<QWidget *(AppModel &)>;
    // Whether Qt can show a tray icon now (QSystemTrayIcon's answer).
    using TrayCheck = std::function<bool()>;

    // `sessionBus` is where trays announce themselves; `trayCheck` replaces
    // Qt's own answer (tests on a platform without a tray).
    MenuBarExtra(AppModel &model, ContentFactory content, QDBusConnection sessionBus = QDBusConnection(QString()),
                 TrayCheck trayCheck = {}, QObject *parent = nullptr);
    ~MenuBarExtra() override;

    // Puts Pelorin on the desktop: the icon when a tray runs, else the
    // window. The first answer of the tray is waited for, at most
    // firstAnswerLimit.
    void install();

    PanelHost *panel() const { return m_panel; }
    AppStatus status() const { return m_status; }
    // Whether the tray icon is Pelorin's place now (else the window is, or
    // nothing is decided yet).
    bool showsTrayIcon() const { return m_presence == Presence::tray; }
    void openPanel();
    void togglePanel();
    // Another window of Pelorin's opens: a panel by the tray icon makes way
    // for it. The window without a tray stays.
    void stepAside();

    // The tray icon of a status, drawn to be told apart at 16 to 24 pixels
    // on light and dark panels alike.
    static QIcon statusIcon(AppStatus status);

    static constexpr std::chrono::milliseconds firstAnswerLimit{1000};
    static constexpr std::chrono::milliseconds hostReturnLimit{3000};
    static constexpr std::chrono::milliseconds itemLimit{3000};

Q_SIGNALS:
    void quitRequested();
    void statusChanged(pelorin::AppStatus status);

private:
    enum class Presence { undecided, tray, window };
    // What kind of icon Qt makes: it decides once per process, the first
    // time it is asked or makes an icon, whether its icons are
    // StatusNotifierItems (a host ran then) or X11 tray icons (or, on
    // Wayland, none), and never looks again.
    enum class QtIcons { unknown, items, x11 };

    void update();
    void updateSoon();
    bool trayUsable();
    void enterTray();
    void confirmItem();
    void enterWindow();
    void updateStatus();
    void ensureContent();
    QRect anchor() const;

    QPointer<AppModel> m_model;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_menu = nullptr;
    PanelHost *m_panel = nullptr;
    ContentFactory m_content;
    AppStatus m_status = AppStatus::off;
    std::unique_ptr<TrayHostWatcher> m_host;
    TrayCheck m_trayCheck;
    std::unique_ptr<QAbstractNativeEventFilter> m_x11TrayEvents;
    bool m_x11 = false;
    // Whether Qt's icons register with the watcher here (not on the
    // offscreen platform).
    bool m_confirmItems = false;
    bool m_installed = false;
    bool m_updatePending = false;
    Presence m_presence = Presence::undecided;
    QtIcons m_qtIcons = QtIcons::unknown;
    QTimer m_firstAnswer;
    QTimer m_hostReturn;
    QTimer m_itemCheck;
    // The tray's generation whose watcher did not list the icon: not tried
    // again until it changes.
    std::optional<quint64> m_refusedAt;
};

} // namespace pelorin
