#pragma once

// Whether what a window leaves fully transparent shows the desktop behind it. On X11 that takes
// a compositing manager; without one such pixels come out black, so a colour-keyed window must
// then stay opaque. Platforms without that distinction (Wayland, offscreen) count as compositing.
bool DesktopComposites();
