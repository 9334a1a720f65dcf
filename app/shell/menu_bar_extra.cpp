#include "menu_bar_extra.h"

#include "app_model.h"
#include "panel_host.h"
#include "symbol_table.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace pelorin {

MenuBarExtra::MenuBarExtra(AppModel &model, ContentFactory content, QObject *parent) : QObject(parent), m_model(&model)
{
    const bool trayAvailable = QSystemTrayIcon::isSystemTrayAvailable();
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    const auto style = !trayAvailable ? PanelHost::Style::standalone
                       : wayland      ? PanelHost::Style::placedByCompositor
                                      : PanelHost::Style::dropDown;
    m_panel = new PanelHost(style);
    // The panel's content is built the first time it opens, so the icon is
    // on the desktop as early as possible.
    m_content = std::move(content);
    connect(m_panel, &PanelHost::appeared, this, [this] {
        if (m_model)
            m_model->setPanelVisible(true);
    });
    connect(m_panel, &PanelHost::disappeared, this, [this] {
        if (m_model)
            m_model->storePanelVisible(false);
    });
    connect(m_panel, &PanelHost::closeRequested, this, &MenuBarExtra::quitRequested);

    if (trayAvailable) {
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
    m_status = appStatus(model.countdown().state());
    if (m_tray)
        m_tray->setIcon(statusIcon(m_status));
    connect(&model.countdown(), &Countdown::stateChanged, this, &MenuBarExtra::updateStatus);
}

MenuBarExtra::~MenuBarExtra()
{
    delete m_panel;
    delete m_menu;
}

void MenuBarExtra::install()
{
    if (m_tray) {
        m_tray->show();
    } else {
        ensureContent();
        m_panel->open(QRect());
    }
}

QRect MenuBarExtra::anchor() const
{
    return m_tray ? m_tray->geometry() : QRect();
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
