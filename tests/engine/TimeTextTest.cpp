#include "TimeText.hpp"

#include <climits>
#include <gtest/gtest.h>

using namespace quorvane;

namespace {

struct CountCase {
    const char* name;
    int width;
    std::int32_t value;
    std::uint8_t maxWidth;
    const char* expected;
};

const CountCase countCases[] = {
    {"full width zero", 0, 0, 8, "00:00:00"},
    {"full width negative keeps its sign outside the width", 0, -1, 8, "-00:00:01"},
    {"full width at the top of the designed range", 0, 359999, 8, "99:59:59"},
    {"full width at the end of mode 2", 0, -356400, 8, "-99:00:00"},
    {"full width beyond 99 hours writes the hours in full", 0, 360000, 8, "100:00:00"},
    {"full width of INT_MIN", 0, INT_MIN, 8, "-596523:14:08"},
    {"suppressed zero", 1, 0, 8, "0"},
    {"suppressed one digit", 1, 7, 8, "7"},
    {"suppressed two digits", 1, 42, 8, "42"},
    {"suppressed one minute", 1, 60, 8, "1:00"},
    {"suppressed 9:59", 1, 599, 8, "9:59"},
    {"suppressed 10:00", 1, 600, 8, "10:00"},
    {"suppressed 59:59", 1, 3599, 8, "59:59"},
    {"suppressed one hour", 1, 3600, 8, "1:00:00"},
    {"suppressed ten hours", 1, 36000, 8, "10:00:00"},
    {"suppressed negative", 1, -65, 8, "-1:05"},
    {"max width 4 of 300", 2, 300, 4, "5:00"},
    {"max width 4 of 5", 2, 5, 4, "0:05"},
    {"max width 4 of -5", 2, -5, 4, "-0:05"},
    {"max width cuts hours and tens of minutes", 2, -600, 4, "-0:00"},
    {"max width 2 of 0", 2, 0, 2, "00"},
    {"max width 2 of 45", 2, 45, 2, "45"},
    {"whole seconds", 3, 3600, 8, "3600"},
    {"whole seconds negative", 3, -5, 8, "-5"},
    {"whole seconds zero", 3, 0, 8, "0"},
    {"whole seconds of INT_MIN", 3, INT_MIN, 8, "-2147483648"},
    {"no width selected gives an empty text", -1, 42, 8, ""},
    {"no width selected keeps a lone sign", 7, -42, 8, "-"},
};

} // namespace

TEST(FormatCount, Table) {
    for (const auto& c : countCases) {
        EXPECT_EQ(FormatCount(c.value, c.width, c.maxWidth), c.expected) << c.name;
    }
}

TEST(MaxWidthCharsFor, ClassBoundaries) {
    const std::pair<std::int32_t, int> cases[] = {
        {0, 1},    {9, 1},    {10, 2},    {59, 2},    {60, 4},  {599, 4},     {600, 5},
        {3599, 5}, {3600, 7}, {35999, 7}, {36000, 8}, {-90, 4}, {INT_MIN, 8}, {INT_MAX, 8}};
    for (const auto& [value, width] : cases)
        EXPECT_EQ(MaxWidthCharsFor(value), width) << value;
}

TEST(TwoDigits, PadsBelowTen) {
    EXPECT_EQ(TwoDigits(7), "07");
    EXPECT_EQ(TwoDigits(0), "00");
    EXPECT_EQ(TwoDigits(42), "42");
}

TEST(FormatClock, Patterns) {
    struct {
        int mode;
        int second;
        const char* sep;
        const char* expected;
    } cases[] = {
        {4, 309, ":", "12:05:09 AM"},   {4, 47220, ":", "1:07:00 PM"}, {5, 309, ":", "0:05:09"},
        {5, 47220, ":", "13:07:00"},    {6, 309, ":", "12:05 AM"},     {6, 47220, ":", "1:07 PM"},
        {7, 309, ":", "0:05"},          {7, 47220, ":", "13:07"},      {5, 47220, ".", "13.07.00"},
        {4, 43200, ":", "12:00:00 PM"}, {7, 86399, ":", "23:59"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatClock(c.mode, c.second, c.sep), c.expected) << c.mode << " " << c.second;
}
