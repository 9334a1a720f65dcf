#include "panel_content.h"

#include "app_model.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace pelorin {

namespace {

QString tileTitle(const SessionDuration &duration)
{
    switch (duration.kind()) {
    case SessionDuration::Kind::minutes30:
        return QObject::tr("30 min");
    case SessionDuration::Kind::hour1:
        return QObject::tr("1 h");
    case SessionDuration::Kind::hours2:
        return QObject::tr("2 h");
    case SessionDuration::Kind::hours4:
        return QObject::tr("4 h");
    case SessionDuration::Kind::hours8:
        return QObject::tr("8 h");
    default:
        return QObject::tr("No limit");
    }
}

} // namespace

// A plain panel: the duration tiles, "End" and "Quit".
QWidget *makePanelContent(AppModel &model, std::function<void()> quit)
{
    auto *panel = new QWidget;
    panel->setFixedWidth(368);
    auto *layout = new QVBoxLayout(panel);
    auto *status = new QLabel(panel);
    layout->addWidget(status);
    auto *grid = new QGridLayout;
    int index = 0;
    for (const SessionDuration &duration : SessionDuration::presetList()) {
        auto *tile = new QPushButton(tileTitle(duration), panel);
        QObject::connect(tile, &QPushButton::clicked, &model,
                         [&model, duration] { model.countdown().start(duration); });
        grid->addWidget(tile, index / 3, index % 3);
        ++index;
    }
    layout->addLayout(grid);
    auto *end = new QPushButton(QObject::tr("End"), panel);
    QObject::connect(end, &QPushButton::clicked, &model, [&model] { model.countdown().stop(); });
    layout->addWidget(end);
    auto *quitButton = new QPushButton(QObject::tr("Quit"), panel);
    QObject::connect(quitButton, &QPushButton::clicked, panel, quit);
    layout->addWidget(quitButton);
    auto *quitShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), panel);
    QObject::connect(quitShortcut, &QShortcut::activated, panel, quit);

    const auto update = [status, end, &model] {
        const auto &state = model.countdown().state();
        static const char *const names[] = {"Starting", "Active", "Stopping", "Failed", "Ready"};
        status->setText(QString::fromLatin1(names[static_cast<int>(state.kind())]));
        end->setEnabled(state.session().has_value() && !state.isTransitioning());
    };
    QObject::connect(&model.countdown(), &Countdown::stateChanged, panel, update);
    update();
    return panel;
}

} // namespace pelorin
