#include "ErrorText.hpp"

#include <gtest/gtest.h>

TEST(ErrorText, FullStopAddedWhenTheLastCharacterSortsAfterIt) {
    struct {
        const char* name;
        const char* message;
        const char* shown;
    } cases[] = {
        {"a letter gets a full stop", "Audio file not found", "Audio file not found."},
        {"a digit gets a full stop", "Error code 5", "Error code 5."},
        {"a full stop stays single", "Audio file is empty.", "Audio file is empty."},
        {"a closing bracket sorts before it", "Device lost (code 7)", "Device lost (code 7)"},
        {"an exclamation mark sorts before it", "Stopped!", "Stopped!"},
        {"a slash sorts after it", "/media/", "/media/."},
        {"an empty message stays empty", "", ""},
        {"line breaks become Qt's", "First line\r\nsecond line", "First line\nsecond line."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(c.message), QString::fromUtf8(c.shown)) << c.name;
}
