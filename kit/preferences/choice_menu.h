#pragma once

#include "preferences_choice_menu.h"

namespace orbel {

// A compact pop-up menu for choosing one of several values: a small capsule
// button titled with the chosen value's label, whose menu lists every option
// in order with the chosen one checked. Picking an option writes it through
// the binding and the title follows. It keeps its ideal size and never
// stretches. Screen readers hear the chosen label as its name.
class ChoiceMenu : public PreferencesChoiceMenu {
    Q_OBJECT

public:
    template<typename T>
    static ChoiceMenu *create(Binding<T> selection, QList<T> options, std::function<QString(const T &)> label,
                              const OrbelEnvironment &environment, QWidget *parent = nullptr)
    {
        return new ChoiceMenu(int(options.size()), labelAt(options, std::move(label)),
                              indexBinding(std::move(selection), options), environment, parent);
    }

    ChoiceMenu(int count, std::function<QString(int)> label, Binding<int> selection,
               const OrbelEnvironment &environment, QWidget *parent = nullptr);
};

} // namespace orbel
