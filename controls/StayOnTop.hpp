#pragma once

#include <Qt>

class QWidget;

// Sets or clears one flag of a top-level window and returns whether it changed anything. A window
// that exists on the screen keeps its native window: the flag goes to it directly, so it is not
// hidden and shown again (which would move it, lose its state or flash), and the window manager
// restyles it in place. A window not yet created simply takes the flag for its creation.
bool SetWindowFlagInPlace(QWidget& window, Qt::WindowType flag, bool on);

// Keeps the window above all other windows, or lets it go back among them. It changes nothing
// while the wanted state is already in force, since the control window re-asserts the state
// every 100 ms on both of its windows.
bool ApplyStayOnTop(QWidget& window, bool onTop);
