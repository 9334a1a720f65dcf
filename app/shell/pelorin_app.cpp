#include "pelorin_app.h"

#include "app_model.h"
#include "iokit_energy_service.h"
#include "native_energy_assertion_driver.h"
#include "native_login_item_service.h"
#include "orbel_snapshot.h"
#include "panel_content.h"
#include "pelorin_application_delegate.h"
#include "pelorin_preferences.h"
#include "preferences_view.h"
#include "single_instance.h"
#include "sleep_monitor.h"
#include "snapshot_window.h"
#include "unix_signal_watcher.h"
#include "welcome_view.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>

#include <csignal>

using namespace Qt::StringLiterals;

namespace pelorin {

bool PelorinApp::isSnapshotOrValidationRun(const QStringList &arguments)
{
    return orbel::OrbelSnapshot::isActive(arguments) || arguments.contains(QStringLiteral("--validate-energy"));
}

PelorinApp::Environment PelorinApp::desktopEnvironment(const QStringList &arguments)
{
    Environment environment;
    environment.arguments = arguments;
    // Snapshot and validation runs never reach the buses.
    if (!isSnapshotOrValidationRun(arguments)) {
        environment.sessionBus = QDBusConnection::sessionBus();
        environment.systemBus = QDBusConnection::systemBus();
    }
    environment.settingsPath = PelorinPreferences::defaultSettingsPath();
    environment.makeLoginItemService = [] { return std::make_unique<NativeLoginItemService>(); };
    return environment;
}

PelorinApp::PelorinApp(Environment environment, QObject *parent) : QObject(parent)
{
    // 1. The delegate, 2. the run flag.
    m_delegate = std::make_unique<PelorinApplicationDelegate>();
    m_delegate->setArguments(environment.arguments);
    m_exit = environment.exit ? environment.exit : [](int status) { QCoreApplication::exit(status); };
    m_delegate->setExit(m_exit);
    m_isSnapshot = isSnapshotOrValidationRun(environment.arguments);

    // 3. The energy service over the desktop's lock services.
    auto service = std::make_shared<IOKitEnergyService>(
        std::make_unique<NativeEnergyAssertionDriver>(environment.sessionBus, environment.systemBus));
    m_energyService = service.get();

    // 4. The session controller, 5. the facade.
    auto countdown = std::make_unique<Countdown>(SessionController::makeDefault(service));

    // 6. The preferences (a snapshot run opens no settings file and no login item).
    std::unique_ptr<LoginItemService> login;
    if (!m_isSnapshot && environment.makeLoginItemService)
        login = environment.makeLoginItemService();
    auto preferences = std::make_unique<PelorinPreferences>(environment.settingsPath, m_isSnapshot, std::move(login));

    // Wiring, each side holding the other weakly.
    QPointer<PelorinPreferences> weakPreferences(preferences.get());
    QPointer<Countdown> weakCountdown(countdown.get());
    countdown->setIsArmed([weakPreferences] { return weakPreferences && weakPreferences->armed(); });
    preferences->setOnDisarm([weakCountdown] {
        if (weakCountdown)
            weakCountdown->stop();
    });

    m_model = std::make_unique<AppModel>(std::move(countdown), std::move(preferences), false, false, m_isSnapshot);
    m_delegate->setModel(m_model.get());

    if (m_isSnapshot) {
        m_delegate->setSnapshotRunner([arguments = environment.arguments, exit = environment.exit](AppModel &model) {
            return SnapshotWindow::run(&model, arguments, defaultSnapshotScreens(), exit);
        });
        return;
    }

    m_singleInstance = std::make_unique<SingleInstance>(environment.sessionBus);
    m_sleepMonitor = std::make_unique<SleepMonitor>(environment.systemBus);
    m_delegate->setSleepMonitor(m_sleepMonitor.get());

    if (environment.handleUnixSignals) {
        m_signals = std::make_unique<UnixSignalWatcher>(std::initializer_list<int>{SIGTERM, SIGINT, SIGHUP});
        connect(m_signals.get(), &UnixSignalWatcher::received, m_delegate.get(),
                &PelorinApplicationDelegate::requestTermination);
    }
    if (auto *gui = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::applicationStateChanged, m_delegate.get(), [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                m_delegate->applicationDidBecomeActive();
        });
    }
    // Every request to quit the application (the desktop session ending, a
    // window's Quit) takes the orderly path: stop, release, then exit.
    QCoreApplication::instance()->installEventFilter(this);

    // The welcome window at launch (first launch, or "--welcome"), once the
    // model has started.
    m_delegate->setWelcomeRoute([](AppModel &model) { showWelcome(model); });

    const auto content = [this](AppModel &model) {
        MenuView *panel = makePanelContent(model, [this] { m_delegate->requestTermination(); });
        // The footer's "Getting Started" and "Preferences" (Ctrl+comma) open
        // the two windows over the same model; a panel by the tray icon
        // makes way for them first.
        const QPointer<AppModel> weakModel(&model);
        panel->setShowGuide([this, weakModel] {
            m_menuBarExtra->stepAside();
            if (weakModel)
                showWelcome(*weakModel);
        });
        panel->setShowPreferences([this, weakModel] {
            m_menuBarExtra->stepAside();
            if (weakModel)
                showPreferences(*weakModel);
        });
        return panel;
    };
    m_menuBarExtra =
        std::make_unique<MenuBarExtra>(*m_model, content, environment.sessionBus, environment.trayAvailable);
    connect(m_menuBarExtra.get(), &MenuBarExtra::quitRequested, m_delegate.get(),
            &PelorinApplicationDelegate::requestTermination);

    // A copy started later asks this one to show itself.
    connect(m_singleInstance.get(), &SingleInstance::panelRequested, m_menuBarExtra.get(), &MenuBarExtra::openPanel);
    connect(m_singleInstance.get(), &SingleInstance::welcomeRequested, this, [this] { showWelcome(*m_model); });
    // A copy started while this one quits must not hand over to it.
    connect(m_delegate.get(), &PelorinApplicationDelegate::terminating, m_singleInstance.get(),
            &SingleInstance::resign);

    // The session bus goes when the desktop session ends; the locks are
    // released before Pelorin goes with it. (libdbus announces the loss of a
    // connection with this local signal.)
    if (environment.sessionBus.isConnected())
        environment.sessionBus.connect(QString(), u"/org/freedesktop/DBus/Local"_s, u"org.freedesktop.DBus.Local"_s,
                                       u"Disconnected"_s, this, SLOT(sessionBusLost()));
}

void PelorinApp::sessionBusLost()
{
    m_delegate->requestTermination();
}

PelorinApp::~PelorinApp()
{
    m_menuBarExtra.reset();
    m_delegate->setModel(nullptr);
}

bool PelorinApp::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
        m_delegate->requestTermination();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PelorinApp::launchSoon()
{
    QTimer::singleShot(0, m_delegate.get(), [this] { launch(); });
}

QCoro::Task<> PelorinApp::launch()
{
    if (m_singleInstance) {
        const QPointer<PelorinApp> self(this);
        const bool first = co_await m_singleInstance->claim(m_delegate->arguments().contains(u"--welcome"_s));
        if (!self)
            co_return;
        if (!first) {
            m_exit(0);
            co_return;
        }
    }
    // The icon first: everything else can follow while it is on the desktop.
    if (m_menuBarExtra)
        m_menuBarExtra->install();
    m_delegate->applicationDidFinishLaunching();
}

} // namespace pelorin
