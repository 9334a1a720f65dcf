#pragma once

#include "orbel_environment.h"
#include "orbel_metrics.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <optional>

class QScrollArea;

namespace pelorin {

// Keeps the panel inside the screen. The content shows at its natural height
// when that fits under the limit; otherwise the viewport is exactly as tall
// as the limit and the content scrolls vertically, with a slim scroll
// indicator over its right edge. The width is always the panel's 368 pixels.
//
// The limit is, in this order: the height a snapshot forces; the usable
// height of the screen showing the panel's window, less a 32-pixel margin;
// before the window has reported its screen, the smallest usable height of
// all screens less the margin; with no screen at all, no limit.
class PelorinPanelViewport : public QWidget, public orbel::EnvironmentAware {
    Q_OBJECT

public:
    // The gap kept between the panel and the edges of the usable area.
    static constexpr double screenMargin = orbel::OrbelMetrics::panelScreenMargin;

    // Takes ownership of `content`.
    PelorinPanelViewport(QWidget *content, const orbel::OrbelEnvironment &environment,
                         std::optional<double> snapshotHeight = std::nullopt, QWidget *parent = nullptr);

    QWidget *content() const { return m_content; }
    QScrollArea *scrollArea() const { return m_scrollArea; }

    std::optional<double> snapshotHeight() const { return m_snapshotHeight; }
    std::optional<double> windowHeight() const { return m_windowHeight; }
    // Stores a reported height (every report, equal or not) and fits again.
    void setWindowHeight(double height);

    double maximumHeight() const;
    // The limit rule on its own: the forced height as it is; else the
    // reported height less the margin; else the smallest of `screenHeights`
    // less the margin; never below zero; the largest finite number when
    // nothing is known.
    static double maximumHeight(std::optional<double> snapshotHeight, std::optional<double> windowHeight,
                                const QList<double> &screenHeights);
    // The usable heights of all connected screens.
    static QList<double> screenHeights();

    // The content's height at the panel's width.
    int naturalHeight() const;

    // Fits the viewport to the content and the limit again.
    void fit();

    // 368 wide; the content's natural height, or the limit when that is less.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void environmentChanged() override;

private:
    QSize fittedSize(int natural) const;
    void placeIndicator();

    QWidget *m_content;
    QScrollArea *m_scrollArea;
    QWidget *m_indicator;
    std::optional<double> m_snapshotHeight;
    std::optional<double> m_windowHeight;
    QSize m_fittedSize;
    bool m_scrolling = false;
    bool m_fitting = false;
};

} // namespace pelorin
