// The forms runtime's one failure type and the one wrapper that gives both failure modes: the
// wrapper's scope is the mode. The load wraps each step (a failing step is skipped, the next
// runs); a click wraps its whole body (the first failure abandons the rest). Only Failure is
// caught, so real bugs (and running out of memory) reach the shell's last guard instead.
#pragma once

#include <optional>
#include <stdexcept>

namespace forms {

// What failed, for those who report fallbacks (the check tool); the menu never shows it.
enum class FailureKind {
    NoSuchLabel,    // a label index outside the array
    ValueRefused,   // a property refused a value (colour, font size, position)
    NotAPicture,    // a picture file that cannot be loaded
    NotNumeric,     // a setting that is not a number, or out of range
    NoItemCaption,  // an item value without a caption: missing, empty or without a comma
    NoDrive,        // the executable's folder names no drive
    NothingStarted, // the platform could not start the command
};

class Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const char* what) : std::runtime_error(what), kind_(kind) {}
    FailureKind kind() const { return kind_; }

private:
    FailureKind kind_;
};

// Throws Failure when the condition does not hold.
inline void require(bool ok, FailureKind kind, const char* what) {
    if (!ok)
        throw Failure(kind, what);
}

// Runs f; a Failure ends it silently, by design: the menu never shows an error. Returns the
// failure that ended it, for a caller that reports it.
template <class F> std::optional<Failure> attempt(F&& f) {
    try {
        f();
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure;
    }
}

} // namespace forms
