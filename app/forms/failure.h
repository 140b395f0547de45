// The forms runtime's one failure type, and the helper that gives both failure modes:
// a load wraps each step (a failing step is skipped), a click wraps its whole body (the first
// failure abandons the rest). Only Failure is caught, so real bugs still surface.
#pragma once

#include <stdexcept>

namespace forms {

class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws Failure with the message when the condition does not hold.
inline void require(bool ok, const char* what) {
    if (!ok)
        throw Failure(what);
}

// Runs f; a Failure ends it silently, by design: the menu never shows an error.
template <class F> bool attempt(F&& f) noexcept {
    try {
        f();
        return true;
    } catch (const Failure&) {
        return false;
    }
}

} // namespace forms
