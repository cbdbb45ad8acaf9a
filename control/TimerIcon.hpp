#pragma once

#include <QIcon>

// The program's icon, a stopwatch face, drawn at the sizes a window and a tray ask for.
QIcon TimerIcon();
