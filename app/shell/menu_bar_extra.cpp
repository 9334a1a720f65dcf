#include "menu_bar_extra.h"

#include "app_model.h"
#include "panel_host.h"
#include "symbol_table.h"
#include "tray_host_watcher.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

#include <cstdlib>
#include <xcb/xcb.h>

namespace pelorin {

namespace {

// Sees the X11 events that may mean an X11 tray came or went (its manager's
// announcement, a window destroyed), so that Qt is asked again once it has
// seen them too.
class X11TrayEvents final : public QAbstractNativeEventFilter {
public:
    explicit X11TrayEvents(std::function<void()> maybeChanged) : m_maybeChanged(std::move(maybeChanged)) {}

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        // The first byte of every X event is its type (XCB_CLIENT_MESSAGE 33,
        // XCB_DESTROY_NOTIFY 17); the high bit marks one sent by a client.
        constexpr quint8 clientMessage = 33;
        constexpr quint8 destroyNotify = 17;
        if (eventType != "xcb_generic_event_t" || !message)
            return false;
        const quint8 type = *static_cast<const quint8 *>(message) & 0x7f;
        if (type == clientMessage || type == destroyNotify)
            m_maybeChanged();
        return false;
    }

private:
    std::function<void()> m_maybeChanged;
};

bool isX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Whether an X11 tray runs: a client owns the screen's system tray
// selection. Asked of the X server itself: asking Qt would have it settle its
// kind of icon for good, asking the StatusNotifier watcher as it does. The
// tray's window is watched, so that its end is seen (X11TrayEvents).
bool x11TrayRuns()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    static const xcb_atom_t selection = [connection] {
        char *host = nullptr;
        int display = 0;
        int screen = 0;
        if (xcb_parse_display(nullptr, &host, &display, &screen) != 0)
            std::free(host);
        const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen);
        xcb_intern_atom_reply_t *atom = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(name.size()), name.constData()), nullptr);
        const xcb_atom_t found = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(atom);
        return found;
    }();
    xcb_get_selection_owner_reply_t *owner =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t window = owner ? owner->owner : xcb_window_t(XCB_WINDOW_NONE);
    std::free(owner);
    if (window == XCB_WINDOW_NONE)
        return false;
    // (A window gone meanwhile is no error worth a word.)
    const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_discard_reply(connection,
                      xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &events).sequence);
    xcb_flush(connection);
    return true;
}

} // namespace

MenuBarExtra::MenuBarExtra(AppModel &model, ContentFactory content, QDBusConnection sessionBus, TrayCheck trayCheck,
                           QObject *parent)
    : QObject(parent), m_model(&model), m_content(std::move(content)),
      m_host(std::make_unique<TrayHostWatcher>(std::move(sessionBus))), m_trayCheck(std::move(trayCheck)),
      m_x11(isX11()), m_confirmItems(m_x11 || QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
{
    if (!m_trayCheck)
        m_trayCheck = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    // Until a tray is known the panel is an ordinary window. Its content is
    // built the first time it opens, so the icon or window is on the desktop
    // as early as possible.
    m_panel = new PanelHost(PanelHost::Style::standalone);
    connect(m_panel, &PanelHost::appeared, this, [this] {
        if (m_model)
            m_model->setPanelVisible(true);
    });
    connect(m_panel, &PanelHost::disappeared, this, [this] {
        if (m_model)
            m_model->storePanelVisible(false);
    });
    connect(m_panel, &PanelHost::closeRequested, this, &MenuBarExtra::quitRequested);

    m_firstAnswer.setSingleShot(true);
    m_firstAnswer.setInterval(firstAnswerLimit);
    connect(&m_firstAnswer, &QTimer::timeout, this, &MenuBarExtra::update);
    m_hostReturn.setSingleShot(true);
    m_hostReturn.setInterval(hostReturnLimit);
    connect(&m_hostReturn, &QTimer::timeout, this, [this] {
        if (!trayUsable())
            enterWindow();
    });
    m_itemCheck.setSingleShot(true);
    m_itemCheck.setInterval(itemLimit);
    connect(&m_itemCheck, &QTimer::timeout, this, [this] {
        if (m_presence != Presence::tray || m_host->itemListed())
            return;
        m_refusedAt = m_host->generation();
        enterWindow();
    });
    connect(m_host.get(), &TrayHostWatcher::changed, this, &MenuBarExtra::update);

    m_status = appStatus(model.countdown().state());
    connect(&model.countdown(), &Countdown::stateChanged, this, &MenuBarExtra::updateStatus);
}

MenuBarExtra::~MenuBarExtra()
{
    if (m_x11TrayEvents && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(m_x11TrayEvents.get());
    delete m_panel;
    delete m_menu;
}

void MenuBarExtra::install()
{
    if (m_installed)
        return;
    m_installed = true;
    if (m_x11 && QCoreApplication::instance()) {
        m_x11TrayEvents = std::make_unique<X11TrayEvents>([this] { updateSoon(); });
        QCoreApplication::instance()->installNativeEventFilter(m_x11TrayEvents.get());
    }
    m_firstAnswer.start();
    m_host->start();
    update();
}

void MenuBarExtra::updateSoon()
{
    if (m_updatePending)
        return;
    m_updatePending = true;
    QTimer::singleShot(0, this, [this] {
        m_updatePending = false;
        update();
    });
}

bool MenuBarExtra::trayUsable()
{
    if (!m_host->isKnown())
        return false;
    // The watcher lists an icon of ours: Qt's icons are StatusNotifierItems.
    if (m_host->itemListed())
        m_qtIcons = QtIcons::items;
    const bool host = m_host->hostPresent() && m_refusedAt != m_host->generation();
    switch (m_qtIcons) {
    case QtIcons::unknown: {
        // Qt settles its kind of icon the first time it is asked, asking the
        // watcher itself, blocking: so not before a host or an X11 tray runs
        // (an X11 tray is asked of the X server, not of Qt), and only right
        // after the watcher answered quickly.
        if (!m_host->answeredQuickly() || (!host && !(m_x11 && x11TrayRuns())) || !m_trayCheck())
            return false;
        // Should a host have come or gone meanwhile, the listed item (or its
        // absence) tells: see above and confirmItem().
        m_qtIcons = host ? QtIcons::items : QtIcons::x11;
        return true;
    }
    case QtIcons::items:
        // Qt asks the watcher again as it shows the item: only right after a
        // quick answer.
        return host && (m_presence == Presence::tray || m_host->answeredQuickly());
    case QtIcons::x11:
        return m_x11 && x11TrayRuns();
    }
    return false;
}

void MenuBarExtra::update()
{
    if (!m_installed)
        return;
    if (trayUsable()) {
        m_hostReturn.stop();
        enterTray();
        confirmItem();
        return;
    }
    switch (m_presence) {
    case Presence::undecided:
        // The first answer may still come.
        if (!m_host->isKnown() && m_firstAnswer.isActive())
            return;
        break;
    case Presence::tray:
        // A tray that restarts is given a moment to come back; the window
        // shows when it has not (m_hostReturn's time-out).
        if (!m_hostReturn.isActive())
            m_hostReturn.start();
        return;
    case Presence::window:
        return;
    }
    enterWindow();
}

void MenuBarExtra::enterTray()
{
    m_firstAnswer.stop();
    if (m_presence == Presence::tray)
        return;
    m_presence = Presence::tray;
    if (!m_tray) {
        m_menu = new QMenu();
        m_menu->addAction(tr("Open Pelorin"), this, &MenuBarExtra::openPanel);
        m_menu->addSeparator();
        m_menu->addAction(tr("Quit"), this, &MenuBarExtra::quitRequested);
        m_tray = new QSystemTrayIcon(this);
        m_tray->setContextMenu(m_menu);
        m_tray->setToolTip(QStringLiteral("Pelorin"));
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                togglePanel();
        });
    }
    m_tray->setIcon(statusIcon(m_status));
    m_tray->show();
    // Qt registers the item as it shows it: the watcher's list is read
    // afresh (an earlier showing's item went as the icon was hidden).
    if (m_confirmItems && m_qtIcons == QtIcons::items)
        m_host->lookForItem();
    // The window goes; the panel now opens from the icon.
    m_panel->setStyle(m_x11 ? PanelHost::Style::dropDown : PanelHost::Style::placedByCompositor);
}

// A host may refuse the item or lose it, and Qt only logs that: unless the
// watcher lists it within itemLimit, the window comes back.
void MenuBarExtra::confirmItem()
{
    if (!m_confirmItems || m_qtIcons != QtIcons::items || m_host->itemListed()) {
        m_itemCheck.stop();
        return;
    }
    if (!m_itemCheck.isActive())
        m_itemCheck.start();
}

void MenuBarExtra::enterWindow()
{
    m_firstAnswer.stop();
    m_itemCheck.stop();
    if (m_presence == Presence::window)
        return;
    m_presence = Presence::window;
    if (m_tray)
        m_tray->hide();
    m_panel->setStyle(PanelHost::Style::standalone);
    ensureContent();
    m_panel->open(QRect());
}

QRect MenuBarExtra::anchor() const
{
    return m_presence == Presence::tray && m_tray ? m_tray->geometry() : QRect();
}

void MenuBarExtra::ensureContent()
{
    if (m_content && m_model) {
        m_panel->setContent(m_content(*m_model));
        m_content = nullptr;
    }
}

void MenuBarExtra::openPanel()
{
    ensureContent();
    m_panel->open(anchor());
}

void MenuBarExtra::togglePanel()
{
    ensureContent();
    m_panel->toggle(anchor());
}

void MenuBarExtra::stepAside()
{
    if (m_presence == Presence::tray && m_panel->isOpen())
        m_panel->hide();
}

void MenuBarExtra::updateStatus()
{
    if (!m_model)
        return;
    const AppStatus status = appStatus(m_model->countdown().state());
    if (status == m_status)
        return;
    m_status = status;
    if (m_tray)
        m_tray->setIcon(statusIcon(status));
    Q_EMIT statusChanged(status);
}

namespace {

// The status symbol with a thin dark halo under its body, so the same
// picture reads on light and dark panels alike: a light outlined sun when
// off, an orange filled sun while a session runs, a red triangle on failure.
QPixmap drawStatus(AppStatus status, int side)
{
    const QString symbol = QString::fromLatin1(symbolName(status));
    const QColor body = status == AppStatus::off      ? QColor(245, 245, 245)
                        : status == AppStatus::failed ? QColor(255, 69, 58)
                                                      : QColor(255, 159, 10);
    const int inner = side - 2;
    const QPixmap halo = orbel::SymbolTable::pixmap(symbol, QColor(0, 0, 0, 170), inner, 1);
    const QPixmap shape = orbel::SymbolTable::pixmap(symbol, body, inner, 1);

    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    for (int dx = 0; dx <= 2; ++dx) {
        for (int dy = 0; dy <= 2; ++dy) {
            if (dx != 1 || dy != 1)
                painter.drawPixmap(dx, dy, halo);
        }
    }
    painter.drawPixmap(1, 1, shape);
    return pixmap;
}

} // namespace

QIcon MenuBarExtra::statusIcon(AppStatus status)
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(drawStatus(status, side));
    return icon;
}

} // namespace pelorin
