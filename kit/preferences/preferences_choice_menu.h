#pragma once

#include "binding.h"
#include "orbel_environment.h"

#include <QAbstractButton>
#include <QList>

#include <functional>

class QMenu;

namespace orbel {

class HoverTracker;

class BrandFocusRing;

// A pop-up choice in a preferences row: a neutral capsule button that shows
// the chosen option's label and opens a menu of every option, in order, the
// chosen one checked. It keeps its ideal size and wears the kit's capsule
// focus ring. Screen readers hear the title as its name and the chosen label
// as its value.
class PreferencesChoiceMenu : public QAbstractButton, public EnvironmentAware {
    Q_OBJECT

public:
    // `selection` is the index of the chosen option among `count` options,
    // each shown as `label(index)`.
    PreferencesChoiceMenu(const QString &title, int count, std::function<QString(int)> label, Binding<int> selection,
                          const OrbelEnvironment &environment, QWidget *parent = nullptr);

    // The same over a list of values; the binding works on the values.
    template<typename T>
    static PreferencesChoiceMenu *create(const QString &title, Binding<T> selection, QList<T> options,
                                         std::function<QString(const T &)> label, const OrbelEnvironment &environment,
                                         QWidget *parent = nullptr)
    {
        return new PreferencesChoiceMenu(title, int(options.size()), labelAt(options, std::move(label)),
                                         indexBinding(std::move(selection), options), environment, parent);
    }

    QString title() const { return m_title; }
    int selectedIndex() const;
    QString selectedLabel() const;
    // Shows the bound choice again after its owner changed it.
    void syncFromBinding();
    // The menu as it opens: one checkable entry per option.
    QMenu *buildMenu();
    BrandFocusRing *focusRing() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    // The small control size: the callout text on a tighter bezel.
    void setCompact();

    template<typename T>
    static std::function<QString(int)> labelAt(const QList<T> &options, std::function<QString(const T &)> label)
    {
        return [options, label = std::move(label)](int index) {
            return index >= 0 && index < options.size() ? label(options.at(index)) : QString();
        };
    }

    // The chosen option as its index among `options`, -1 when it is none of them.
    template<typename T>
    static Binding<int> indexBinding(Binding<T> selection, const QList<T> &options)
    {
        return {[options, selection] { return int(options.indexOf(selection.get())); },
                [options, selection](int index) {
                    if (index >= 0 && index < options.size())
                        selection.set(options.at(index));
                }};
    }

    void paintEvent(QPaintEvent *event) override;
    void environmentChanged() override;

private:
    void openMenu();
    int controlHeight() const;
    int horizontalPadding() const;

    QString m_title;
    int m_count;
    std::function<QString(int)> m_label;
    Binding<int> m_selection;
    HoverTracker *m_hover = nullptr;
    bool m_compact = false;
};

} // namespace orbel
