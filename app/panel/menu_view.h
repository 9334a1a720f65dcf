#pragma once

#include "binding.h"
#include "date.h"
#include "orbel_environment.h"
#include "orbel_panel.h"
#include "panel_display_row.h"
#include "session_facts.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace orbel {
class BorderedButton;
class KeyboardUseTracker;
class NoticeCard;
class OrbelSwitch;
class PanelCard;
class SymbolView;
class TextLabel;
} // namespace orbel

namespace pelorin {

class AppModel;
class DurationGrid;
class PelorinPanelViewport;
class SessionReadoutView;

// The whole content of the tray panel: the kit's panel frame with Pelorin's
// brand, the status line and dot, the master switch and the footer, holding
// the failure notice, the readout card and the controls (the duration tiles
// or the session's buttons, and the display row), all inside the viewport
// that keeps the panel on the screen.
//
// It keeps no state of its own: it shows the PanelState worked out from the
// model's session and master switch (or a staged session) whenever the
// session, the selection or the master switch changes.
class MenuView : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    using Clock = std::function<Date()>;

    // `locale` is the ICU identifier dates are written in (empty for the
    // environment's); `snapshotPanelHeight` forces the panel's height limit
    // (snapshot runs only); `clock` gives the wall-clock time (Date::now when
    // empty).
    MenuView(AppModel &model, const orbel::OrbelEnvironment &environment, QString locale,
             std::optional<double> snapshotPanelHeight = std::nullopt, Clock clock = {}, QWidget *parent = nullptr);
    ~MenuView() override;

    // The footer's actions. Preferences, Getting Started and Quit do nothing
    // until given something to do.
    void setShowGuide(std::function<void()> showGuide);
    void setShowPreferences(std::function<void()> showPreferences);
    void setQuit(std::function<void()> quit);

    // Whether the view itself tells the model when it appears and
    // disappears. The tray's panel window does that for it; a host that does
    // not (the snapshot) turns this on.
    void setReportsVisibility(bool reports) { m_reportsVisibility = reports; }

    // Shows `staged` in place of the model's session and master switch (a
    // snapshot's picture); none shows the model's again.
    void stage(std::optional<SessionFacts> staged);
    // The session and the master switch the panel shows.
    SessionFacts facts() const;

    PelorinPanelViewport *viewport() const { return m_viewport; }
    orbel::OrbelPanel *panel() const { return m_panel; }
    orbel::NoticeCard *notice() const { return m_notice; }
    orbel::BorderedButton *retryButton() const { return m_retry; }
    SessionReadoutView *readout() const { return m_readout; }
    DurationGrid *grid() const { return m_grid; }
    QWidget *actionRow() const { return m_actionRow; }
    orbel::BorderedButton *extendButton() const { return m_extend; }
    orbel::BorderedButton *endButton() const { return m_end; }
    PanelDisplayRow *displayRow() const { return m_displayRow; }

    // Works everything out again from the session and the clock.
    void refresh();
    // The wall clock jumped or the time zone changed: every end time shown
    // (the status line, the tiles, the readout) is written again at once.
    void refreshTimes();

    // Whether a key has been pressed since the panel's window last became
    // active: only then do focused controls show their rings.
    bool keyboardUsed() const;

protected:
    orbel::OrbelEnvironment childEnvironment() const override;
    void environmentChanged() override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildBody();
    void addFocusRings();

    QPointer<AppModel> m_model;
    std::optional<SessionFacts> m_staged;
    QString m_locale;
    Clock m_clock;
    std::function<void()> m_showGuide;
    std::function<void()> m_showPreferences;
    std::function<void()> m_quit;
    bool m_reportsVisibility = false;

    orbel::KeyboardUseTracker *m_keyboardUse = nullptr;
    PelorinPanelViewport *m_viewport = nullptr;
    orbel::OrbelPanel *m_panel = nullptr;
    orbel::NoticeCard *m_notice = nullptr;
    orbel::BorderedButton *m_retry = nullptr;
    SessionReadoutView *m_readout = nullptr;
    DurationGrid *m_grid = nullptr;
    QWidget *m_actionRow = nullptr;
    orbel::BorderedButton *m_extend = nullptr;
    orbel::BorderedButton *m_end = nullptr;
    orbel::PanelCard *m_displayCard = nullptr;
    PanelDisplayRow *m_displayRow = nullptr;
};

} // namespace pelorin
