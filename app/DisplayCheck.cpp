#include "DisplayCheck.hpp"

#include <cstdio>
#include <cstdlib>
#include <string_view>

#ifdef QUORVANE_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string_view() : std::string_view(value);
}

} // namespace

bool DisplayAvailable() {
    const std::string_view platform = Environment("QT_QPA_PLATFORM");
    // Another platform (offscreen, Wayland) needs no X display.
    if (platform.empty() ? !Environment("WAYLAND_DISPLAY").empty() : !platform.starts_with("xcb"))
        return true;
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr) {
        std::fprintf(stderr, "quorvane: no display is available (DISPLAY is not set)\n");
        return false;
    }
    if (*display == '\0') {
        std::fprintf(stderr, "quorvane: no display is available (DISPLAY is empty)\n");
        return false;
    }
#ifdef QUORVANE_HAVE_XCB
    xcb_connection_t* connection = xcb_connect(display, nullptr);
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    if (!connected) {
        std::fprintf(stderr, "quorvane: cannot connect to the display \"%s\" named by DISPLAY\n",
                     display);
        return false;
    }
#endif
    return true;
}
