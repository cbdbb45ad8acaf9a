#include "PlatformChoice.hpp"

#include <cstdio>
#include <cstdlib>

namespace quorvane {

namespace {

bool IsSet(const char* value) {
    return value != nullptr && *value != '\0';
}

} // namespace

TPlatformChoice ChoosePlatform(const char* qtPlatform, const char* waylandDisplay,
                               const char* display) {
    // The user's own choice always holds.
    if (IsSet(qtPlatform) || !IsSet(waylandDisplay))
        return {};
    // Wayland lets no client place its windows, keep them above others or cut them to a shape;
    // XWayland does, so a Wayland session that offers it runs the program on X11.
    if (IsSet(display))
        return {"xcb", {}};
    return {"wayland",
            "quorvane: this Wayland session has no X11 display (XWayland), so some features will "
            "not work: placing the windows at their stored positions, staying on top, and the "
            "colour key of the transparent background"};
}

void ApplyPlatformChoice() {
    const TPlatformChoice choice = ChoosePlatform(
        std::getenv("QT_QPA_PLATFORM"), std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"));
    if (!choice.Platform.empty())
        setenv("QT_QPA_PLATFORM", choice.Platform.c_str(), 1);
    if (!choice.Notice.empty())
        std::fprintf(stderr, "%s\n", choice.Notice.c_str());
}

} // namespace quorvane
