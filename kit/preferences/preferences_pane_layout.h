#pragma once

#include "binding.h"
#include "orbel_brand.h"
#include "orbel_environment.h"
#include "orbel_metrics.h"

#include <QList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QVBoxLayout;

namespace orbel {

class AppIcon;
class PreferencesChrome;
class PreferencesHeader;

// One pane of a sidebar preferences window: what the caller calls it, its
// title and its symbol.
template<typename ID>
struct PreferencesPane {
    ID id;
    QString title;
    QString symbol;
};

// A preferences window body with several panes, 768 wide (the wide variant
// of the preferences window): the chrome around two top-aligned columns 32
// apart. On the left, 176 wide, the application icon and below it, 32 down,
// one row per pane, 4 apart: the pane's symbol and title on a 40-high row
// that is filled with the accent at 25 % when selected. On the right, 496
// wide, the selected pane's title as a heading and, 32 below, the content the
// caller builds for the selection, built again each time the selection
// changes. A selection that matches no pane shows an empty heading and still
// asks the caller for its content.
//
// A click anywhere in a row selects its pane; Tab moves between the rows and
// Space presses the focused one, which wears the kit's focus ring once the
// keyboard has been used in the window. Screen readers hear each row as a
// button, the selected one marked selected.
class PreferencesPaneLayout : public QWidget, public EnvironmentAware {
    Q_OBJECT

public:
    static constexpr int pageWidth = OrbelMetrics::wideWindowWidth;
    static constexpr int sidebarWidth = OrbelMetrics::sidebarWidth;
    static constexpr int detailWidth = OrbelMetrics::contentColumnWidth;
    static constexpr int spacing = OrbelMetrics::layoutSpacing;

    // A pane as the layout shows it.
    struct Pane {
        QString title;
        QString symbol;
    };

    template<typename ID>
    static PreferencesPaneLayout *create(const OrbelBrand &brand, const QList<PreferencesPane<ID>> &panes,
                                         Binding<ID> selection, std::function<QWidget *(const ID &)> content,
                                         const OrbelEnvironment &environment, QWidget *parent = nullptr)
    {
        QList<Pane> shown;
        QList<ID> ids;
        for (const PreferencesPane<ID> &pane : panes) {
            shown.append({pane.title, pane.symbol});
            ids.append(pane.id);
        }
        Binding<int> index{[ids, selection] { return int(ids.indexOf(selection.get())); },
                           [ids, selection](int at) {
                               if (at >= 0 && at < ids.size())
                                   selection.set(ids.at(at));
                           }};
        auto build = [selection, content = std::move(content)] { return content ? content(selection.get()) : nullptr; };
        return new PreferencesPaneLayout(brand, std::move(shown), std::move(index), std::move(build), environment,
                                         parent);
    }

    // `selection` is the index of the selected pane (the first whose
    // identifier matches), -1 for none; `content` builds the selected pane's
    // content, the layout taking ownership.
    PreferencesPaneLayout(const OrbelBrand &brand, QList<Pane> panes, Binding<int> selection,
                          std::function<QWidget *()> content, const OrbelEnvironment &environment,
                          QWidget *parent = nullptr);

    int selectedIndex() const;
    // Shows the bound selection again after its owner changed it.
    void syncFromBinding();

    PreferencesChrome *chrome() const { return m_chrome; }
    AppIcon *icon() const { return m_icon; }
    PreferencesHeader *header() const { return m_header; }
    // The content built for the current selection; may be null.
    QWidget *content() const { return m_content; }
    QColor accent() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void environmentChanged() override;

private:
    void select(int index);

    OrbelBrand m_brand;
    QList<Pane> m_panes;
    Binding<int> m_selection;
    std::function<QWidget *()> m_build;
    PreferencesChrome *m_chrome;
    QWidget *m_body;
    AppIcon *m_icon;
    PreferencesHeader *m_header;
    QVBoxLayout *m_detail;
    QWidget *m_content = nullptr;
    QList<QAbstractButton *> m_buttons;
};

} // namespace orbel
