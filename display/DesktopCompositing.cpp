#include "DesktopCompositing.hpp"

#include <QGuiApplication>

#if defined(QUORVANE_HAVE_XCB) && QT_CONFIG(xcb)
#include <QtGui/qguiapplication_platform.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <xcb/xcb.h>

namespace {

// A compositing manager owns the selection _NET_WM_CM_S<n> of the screen it composites.
bool ScreenComposited(xcb_connection_t* connection, int screen) {
    const std::string name = "_NET_WM_CM_S" + std::to_string(screen);
    const xcb_intern_atom_cookie_t atomCookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(connection, atomCookie, nullptr);
    if (!atom)
        return false;
    bool owned = false;
    if (atom->atom != XCB_NONE) {
        const xcb_get_selection_owner_cookie_t ownerCookie =
            xcb_get_selection_owner(connection, atom->atom);
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(connection, ownerCookie, nullptr);
        owned = owner && owner->owner != XCB_NONE;
        std::free(owner);
    }
    std::free(atom);
    return owned;
}

} // namespace

bool DesktopComposites() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return true;
    xcb_connection_t* connection = x11->connection();
    const int screens = xcb_setup_roots_length(xcb_get_setup(connection));
    for (int screen = 0; screen < screens; ++screen)
        if (ScreenComposited(connection, screen))
            return true;
    return false;
}

#else

bool DesktopComposites() {
    return true;
}

#endif
