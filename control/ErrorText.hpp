#pragma once

#include <QString>
#include <string>

// The text of the error box for an exception message: line breaks as Qt writes them, and a full
// stop added when the last character sorts after the full stop (letters and digits do).
QString ErrorBoxText(const std::string& message);
