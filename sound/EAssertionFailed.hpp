#pragma once

#include <source_location>
#include <stdexcept>
#include <string>

namespace quorvane {

// An internal consistency check that failed: "text (unit, line n)".
class EAssertionFailed : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

inline void CbAssert(bool holds, const char* text,
                     std::source_location where = std::source_location::current()) {
    if (!holds) {
        throw EAssertionFailed(std::string(text) + " (cbDSMixer, line " +
                               std::to_string(where.line()) + ")");
    }
}

} // namespace quorvane
