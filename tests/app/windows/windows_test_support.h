// Helpers of the window tests: an application model over the engine's fakes
// whose login item can be held busy or made to fail, finding the shared
// windows, reading what a page shows, and the gallery of window pictures.
#pragma once

#include "app/engine_fakes.h"
#include "app_model.h"
#include "login_item_service.h"
#include "orbel_switch.h"
#include "pelorin_preferences.h"
#include "windows/preferences_view.h"
#include "windows/welcome_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoroSignal>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <stdexcept>

// Texts in test output as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace pelorin::windowstest {

using namespace Qt::StringLiterals;

// A login item whose changes can be held open or made to fail.
class FakeLoginItem : public QObject, public LoginItemService {
    Q_OBJECT
public:
    LoginItemState status() const override { return state; }

    QCoro::Task<> setEnabled(bool enabled) override
    {
        requests.append(enabled);
        if (hold)
            co_await qCoro(this, &FakeLoginItem::released);
        if (fail)
            throw std::runtime_error("refused");
        state = enabled ? LoginItemState::enabled : LoginItemState::disabled;
    }

    void openSettings() override { ++settingsOpened; }

    void release() { Q_EMIT released(); }

    LoginItemState state = LoginItemState::disabled;
    bool hold = false;
    bool fail = false;
    int settingsOpened = 0;
    QList<bool> requests;

Q_SIGNALS:
    void released();
};

// Lets queued work run: layout passes, size reports, deferred deletions.
inline void settle()
{
    for (int i = 0; i < 6; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

// An application model over the engine's fakes, its settings in a folder of
// its own and its login item a FakeLoginItem (none in a snapshot model).
struct WindowsModel {
    explicit WindowsModel(bool isSnapshot = false)
    {
        auto controller =
            std::make_unique<SessionController>(SessionState::inactive(), service, clock.nowFunction(),
                                                clock.monotonicFunction(), clock.makeIDFunction(), waits.function());
        auto countdown = std::make_unique<Countdown>(std::move(controller));
        std::unique_ptr<LoginItemService> item;
        if (!isSnapshot) {
            auto fake = std::make_unique<FakeLoginItem>();
            login = fake.get();
            item = std::move(fake);
        }
        auto prefs = std::make_unique<PelorinPreferences>(settingsPath(), isSnapshot, std::move(item));
        countdown->setIsArmed([p = prefs.get()] { return p->armed(); });
        model = std::make_unique<AppModel>(std::move(countdown), std::move(prefs), false, false, isSnapshot);
    }

    ~WindowsModel()
    {
        if (login && login->hold) {
            login->hold = false;
            login->release();
        }
        // The windows over the model go with it.
        model.reset();
        settle();
        waits.endAll();
        service->finishAll();
        settle();
    }

    WindowsModel(const WindowsModel &) = delete;
    WindowsModel &operator=(const WindowsModel &) = delete;

    QString settingsPath() const { return dir.filePath(u"Pelorin.conf"_s); }
    PelorinPreferences &preferences() const { return model->preferences(); }

    // The login item reports `state` from now on, and the preferences read it.
    void setLoginState(LoginItemState state)
    {
        login->state = state;
        preferences().refreshLoginState();
    }

    // A change that fails, leaving the item as it was.
    void failAChange()
    {
        login->fail = true;
        preferences().setOpenAtLogin(!preferences().opensAtLogin());
        login->fail = false;
    }

    // A change that stays under way until release().
    void holdAChange(bool enabled)
    {
        login->hold = true;
        preferences().setOpenAtLogin(enabled);
    }
    void release()
    {
        login->hold = false;
        login->release();
        settle();
    }

    std::shared_ptr<fakes::FakeEnergyService> service = std::make_shared<fakes::FakeEnergyService>();
    fakes::FakeClock clock;
    fakes::FakeWaits waits;
    QTemporaryDir dir;
    FakeLoginItem *login = nullptr;
    std::unique_ptr<AppModel> model;
};

// The visible top-level window showing a view of this type, if any.
template<typename View>
View *shownView()
{
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (!window->isVisible())
            continue;
        if (auto *view = window->findChild<View *>())
            return view;
    }
    return nullptr;
}

// Opens the welcome window over `model` and shows its view at `size`.
inline WelcomeView *showWelcomeAt(AppModel &model, orbel::TextSize size)
{
    showWelcome(model);
    settle();
    WelcomeView *view = shownView<WelcomeView>();
    if (view && size != orbel::TextSize::Large) {
        orbel::OrbelEnvironment environment = view->environment();
        environment.textSize = size;
        view->setEnvironment(environment);
        settle();
    }
    return view;
}

// How many top-level windows hold a view of this type, shown or not.
template<typename View>
int builtWindows()
{
    int count = 0;
    const QList<QWidget *> windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        count += window->findChild<View *>() != nullptr;
    return count;
}

// Every text a person sees on the page, in the order of the widget tree:
// labels and button titles.
inline QStringList visibleTexts(const QWidget *root)
{
    QStringList texts;
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (const QWidget *widget : widgets) {
        if (!widget->isVisibleTo(root))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(widget); label && !label->text().isEmpty())
            texts.append(label->text());
        // A switch carries its row's title as its name but shows no text.
        else if (const auto *button = qobject_cast<const QAbstractButton *>(widget);
                 button && !button->text().isEmpty() && !qobject_cast<const orbel::OrbelSwitch *>(button))
            texts.append(button->text());
    }
    return texts;
}

inline QImage render(QWidget *widget, qreal ratio = 1.0)
{
    QImage image(QSize(int(std::lround(widget->width() * ratio)), int(std::lround(widget->height() * ratio))),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Lays a page out at its own width and its height for that width.
inline void layOut(QWidget *page)
{
    page->ensurePolished();
    const int width = page->sizeHint().width();
    page->resize(width, page->hasHeightForWidth() ? page->heightForWidth(width) : page->sizeHint().height());
    if (page->layout())
        page->layout()->activate();
}

inline QRect geometryIn(const QWidget *widget, const QWidget *ancestor)
{
    return QRect(widget->mapTo(ancestor, QPoint(0, 0)), widget->size());
}

// A mouse click in the middle of `target`, delivered through its window as
// the pointer would.
inline void click(QWidget *target)
{
    QWidget *window = target->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, target->mapTo(window, target->rect().center()));
}

inline bool activate(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}


// The offscreen platform warns on every show that it cannot raise windows or
// pass size hints on; that is all it has to say.
inline void quietPlatformWarnings()
{
    static bool installed = false;
    static QtMessageHandler previous = nullptr;
    if (installed)
        return;
    installed = true;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (message.startsWith(QLatin1String("This plugin does not support")))
            return;
        if (previous)
            previous(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    });
}

} // namespace pelorin::windowstest
