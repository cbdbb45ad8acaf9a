#include "TSystemClock.hpp"

#include <gtest/gtest.h>

TEST(TSystemClock, SeparatorBetweenTheHourAndTheMinuteFields) {
    struct {
        const char* name;
        const char* format;
        const char* separator;
    } cases[] = {
        {"a colon", "HH:mm:ss", ":"},
        {"a full stop in a 12-hour format", "h.mm AP", "."},
        {"quoted text between the fields", "HH' h 'mm", "h"},
        {"no separator at all", "HHmm", ":"},
        {"no minute field", "HH", ":"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSystemClock::SeparatorOf(QLatin1String(c.format)), c.separator) << c.name;
}
