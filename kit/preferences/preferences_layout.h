#pragma once

#include "orbel_brand.h"
#include "orbel_environment.h"
#include "orbel_metrics.h"

#include <QWidget>

namespace orbel {

class PreferencesChrome;
class PreferencesHeader;

// A single-page preferences window body, 560 wide: the chrome around a
// 496-wide column that holds the heading (application icon and title) and,
// 32 below it, the caller's content. 48 above the heading and 32 below the
// content. Its ideal height is the height it needs at that width.
class PreferencesLayout : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    static constexpr int pageWidth = OrbelMetrics::windowWidth;
    static constexpr int columnWidth = OrbelMetrics::contentColumnWidth;
    static constexpr int spacing = OrbelMetrics::layoutSpacing;

    // Takes ownership of `content`.
    PreferencesLayout(const OrbelBrand &brand, const QString &title, QWidget *content,
                      const OrbelEnvironment &environment, QWidget *parent = nullptr);

    PreferencesChrome *chrome() const { return m_chrome; }
    PreferencesHeader *header() const { return m_header; }
    QWidget *content() const { return m_content; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    PreferencesChrome *m_chrome;
    PreferencesHeader *m_header;
    QWidget *m_content;
};

} // namespace orbel
