#pragma once

#include "ControlModel.hpp"

#include <QColor>

// The engine keeps colours as 0x00BBGGRR, red in the low byte; Qt wants them as components.
inline QColor ToQColor(quorvane::Colour colour) {
    return QColor(static_cast<int>(colour & 0xFFu), static_cast<int>((colour >> 8) & 0xFFu),
                  static_cast<int>((colour >> 16) & 0xFFu));
}

inline quorvane::Colour FromQColor(const QColor& colour) {
    return static_cast<quorvane::Colour>(colour.red()) |
           (static_cast<quorvane::Colour>(colour.green()) << 8) |
           (static_cast<quorvane::Colour>(colour.blue()) << 16);
}
