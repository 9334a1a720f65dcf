#include "choice_menu.h"

namespace orbel {

ChoiceMenu::ChoiceMenu(int count, std::function<QString(int)> label, Binding<int> selection,
                       const OrbelEnvironment &environment, QWidget *parent)
    : PreferencesChoiceMenu(QString(), count, std::move(label), std::move(selection), environment, parent)
{
    setCompact();
}

} // namespace orbel
