#pragma once

#include <functional>

namespace orbel {

// A two-way link to a value the caller owns. A control writes through `set`
// and then shows what `get` returns, so a refused change snaps back.
template<typename T>
struct Binding {
    std::function<T()> get;
    std::function<void(T)> set;

    explicit operator bool() const { return get && set; }
};

} // namespace orbel
