#pragma once

#include <QColor>

#include <optional>

class QWidget;

namespace orbel {

enum class ColorScheme { Light, Dark };

// The text sizes the kit draws, smallest first: seven everyday sizes, `Large`
// the desktop's default, then five accessibility sizes. Each scales every
// text role by one factor (see textScale()).
enum class TextSize {
    XSmall,
    Small,
    Medium,
    Large,
    XLarge,
    XXLarge,
    XXXLarge,
    Accessibility1,
    Accessibility2,
    Accessibility3,
    Accessibility4,
    Accessibility5,
};

// The sizes at which layouts make room for large text (a row's control moves
// under its title, say).
inline bool isAccessibilitySize(TextSize size)
{
    return size >= TextSize::Accessibility1;
}

// What a screen hands down to the kit widgets it contains. Widgets never read
// the scheme or the keyboard state from a global, so any screen can be drawn in
// either scheme side by side.
struct OrbelEnvironment {
    ColorScheme scheme = ColorScheme::Light;
    TextSize textSize = TextSize::Large;
    // A key has been pressed in this window since it last became active.
    bool keyboardUsed = false;
    bool reduceMotion = false;
    // The accent for controls; absent means the desktop's accent.
    std::optional<QColor> tint;

    bool isDark() const { return scheme == ColorScheme::Dark; }
    bool operator==(const OrbelEnvironment &) const = default;
};

// Mixed into every kit widget that depends on the environment. Setting an
// environment stores it, lets the widget react when it differs, and hands the
// widget's child environment on to the kit widgets below it.
class EnvironmentAware {
public:
    explicit EnvironmentAware(const OrbelEnvironment &environment) : m_environment(environment) {}
    virtual ~EnvironmentAware() = default;
    EnvironmentAware(const EnvironmentAware &) = delete;
    EnvironmentAware &operator=(const EnvironmentAware &) = delete;

    const OrbelEnvironment &environment() const { return m_environment; }
    void setEnvironment(const OrbelEnvironment &environment);

protected:
    virtual void environmentChanged() {}
    // What the widgets inside see; containers that tint their content override it.
    virtual OrbelEnvironment childEnvironment() const { return m_environment; }

private:
    OrbelEnvironment m_environment;
};

// Gives `environment` to every kit widget below `root` (not to `root` itself).
// The search stops at each kit widget, which passes on its own child environment.
void propagateEnvironment(QWidget *root, const OrbelEnvironment &environment);

} // namespace orbel
