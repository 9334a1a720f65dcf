#pragma once

#include "flap_board.h"
#include "readout_board.h"

#include "accessibility_element.h"
#include "orbel_environment.h"
#include "session_facts.h"
#include "session_id.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QTimer;

namespace orbel {
class TextLabel;
}

namespace pelorin {

class AppModel;

// The dark card in the middle of the tray panel that says at a glance how
// long the computer stays awake, or what the session is doing: a caption, the
// split-flap board and a status line.
//
// It shows what ReadoutBoard works out. While that ticks (a timed session
// runs and the panel is on screen) the card redraws once a second, from a
// timer that exists only then and fires each time the time left passes a
// whole second. Otherwise it redraws only when the session's state, the
// armed switch or the panel's visibility changes.
//
// Screen readers see the card as one element: the caption is its name, the
// readout with its status line its value (also offered as read-only text).
class SessionReadoutView : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    // `locale` is the ICU locale id the dates and spoken spans are written in.
    SessionReadoutView(AppModel &model, const orbel::OrbelEnvironment &environment, QString locale,
                       QWidget *parent = nullptr);
    ~SessionReadoutView() override;

    using Facts = std::function<SessionFacts()>;
    // The session and the master switch as the model has them now.
    static SessionFacts liveFacts(const AppModel &model);
    // Where the session and the master switch are read: the model's own
    // unless replaced (by a staged session); read again at once.
    void setFacts(Facts facts);

    // What it shows now.
    const ReadoutBoard &currentBoard() const { return m_board; }

    // The name and value screen readers get.
    QString accessibleCaption() const { return orbel::spokenText(m_board.caption()); }
    QString accessibleReadout() const { return orbel::spokenText(m_board.accessibilityValue()); }

    // Whether the once-a-second timer exists.
    bool hasTimeline() const { return m_timeline != nullptr; }
    const FlapBoard &flapBoard() const { return *m_flaps; }

    // Where the wall-clock time comes from; the system clock unless replaced.
    void setClock(std::function<Date()> clock);
    // Works the card out again from the session and the clock, as a tick
    // does.
    void refresh();

    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    void scheduleTick(std::optional<Duration> remaining);
    void applyFonts();
    void announce(const QString &oldCaption, const QString &oldValue);

    // Weak: once the model is gone the card keeps its last picture.
    QPointer<AppModel> m_model;
    QString m_locale;
    std::function<Date()> m_clock;
    Facts m_facts;
    ReadoutBoard m_board;
    orbel::TextLabel *m_caption;
    FlapBoard *m_flaps;
    orbel::TextLabel *m_status;
    // The timeline: present only while a timed session runs with the panel
    // on screen. It belongs to one session; another session brings a new one.
    std::unique_ptr<QTimer> m_timeline;
    std::optional<SessionID> m_timelineSession;
};

} // namespace pelorin
