#pragma once

#include <QPoint>
#include <QRect>

// Where a window whose frame is `frame` goes when it snaps to the edges of `area`: each edge of
// the frame within `distance` pixels of the matching edge of the area is moved onto it.
QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance);
