#include "ScreenSnap.hpp"

#include <cstdlib>

QPoint SnapToEdges(const QRect& frame, const QRect& area, int distance) {
    QPoint at = frame.topLeft();
    if (std::abs(frame.left() - area.left()) <= distance)
        at.setX(area.left());
    else if (std::abs(frame.right() - area.right()) <= distance)
        at.setX(area.right() - frame.width() + 1);
    if (std::abs(frame.top() - area.top()) <= distance)
        at.setY(area.top());
    else if (std::abs(frame.bottom() - area.bottom()) <= distance)
        at.setY(area.bottom() - frame.height() + 1);
    return at;
}
