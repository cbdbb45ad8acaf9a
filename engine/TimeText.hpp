#pragma once

#include <cstdint>
#include <string>

namespace quorvane {

// Width modes of the counter text: the item index of the "Counter Width" selector.
enum class DisplayWidth : int {
    None = -1,
    AlwaysFullWidth = 0,
    SuppressLeadingZeros = 1,
    MaintainMaxWidth = 2,
    WholeTimeAsSeconds = 3,
};

// Decimal text of 0..99 with a leading "0" below 10.
std::string TwoDigits(int value);

// Width class 1..8 of a counter value: the length of 9, 59, 9:59, 59:59, 9:59:59 or 99:59:59.
std::uint8_t MaxWidthCharsFor(std::int32_t seconds);

// Counter text of a signed number of seconds. Defined for every 32-bit value: the magnitude is
// taken in 64 bits and hours beyond 99 are written in full.
std::string FormatCount(std::int32_t value, int widthMode, std::uint8_t maxWidthChars);

// Time of day for the clock modes 4..7; `separator` is the desktop's time separator.
std::string FormatClock(int counterMode, int secondOfDay, const std::string& separator);

} // namespace quorvane
