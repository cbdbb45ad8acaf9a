#pragma once

#include <string>

namespace quorvane {

// The window system the program asks Qt for, decided from the environment before the
// application object exists.
struct TPlatformChoice {
    // The value for QT_QPA_PLATFORM; empty leaves the environment as it is.
    std::string Platform;
    // Said once on standard error; empty when there is nothing to say.
    std::string Notice;
};

// A pure function of the three variables; a null or empty value counts as unset.
TPlatformChoice ChoosePlatform(const char* qtPlatform, const char* waylandDisplay,
                               const char* display);

// Reads the environment, sets QT_QPA_PLATFORM as chosen and prints the notice.
void ApplyPlatformChoice();

} // namespace quorvane
