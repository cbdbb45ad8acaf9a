#include "TimeText.hpp"

namespace quorvane {

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return value >= 0 && value < 10 ? "0" + text : text;
}

namespace {

std::int64_t Magnitude(std::int32_t value) {
    const std::int64_t wide = value;
    return wide < 0 ? -wide : wide;
}

std::string HoursText(std::int64_t hours) {
    return hours < 10 ? "0" + std::to_string(hours) : std::to_string(hours);
}

} // namespace

std::uint8_t MaxWidthCharsFor(std::int32_t seconds) {
    const std::int64_t a = Magnitude(seconds);
    if (a < 10)
        return 1;
    if (a < 60)
        return 2;
    if (a < 600)
        return 4;
    if (a < 3600)
        return 5;
    if (a < 36000)
        return 7;
    return 8;
}

std::string FormatCount(std::int32_t value, int widthMode, std::uint8_t maxWidthChars) {
    const std::int64_t a = Magnitude(value);
    const std::int64_t h = a / 3600;
    const int m = static_cast<int>((a % 3600) / 60);
    const int s = static_cast<int>(a % 60);
    const std::string full = HoursText(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);

    std::string text;
    switch (widthMode) {
    case static_cast<int>(DisplayWidth::AlwaysFullWidth):
        text = full;
        break;
    case static_cast<int>(DisplayWidth::SuppressLeadingZeros):
        if (a < 10)
            text = std::to_string(s);
        else if (a < 60)
            text = TwoDigits(s);
        else if (a < 600)
            text = std::to_string(m) + ":" + TwoDigits(s);
        else if (a < 3600)
            text = TwoDigits(m) + ":" + TwoDigits(s);
        else if (a < 36000)
            text = std::to_string(h) + ":" + TwoDigits(m) + ":" + TwoDigits(s);
        else
            text = full;
        break;
    case static_cast<int>(DisplayWidth::MaintainMaxWidth): {
        const std::size_t keep = maxWidthChars;
        text = keep >= full.size() ? full : full.substr(full.size() - keep);
        break;
    }
    case static_cast<int>(DisplayWidth::WholeTimeAsSeconds):
        text = std::to_string(a);
        break;
    default:
        break;
    }
    return value < 0 ? "-" + text : text;
}

std::string FormatClock(int counterMode, int secondOfDay, const std::string& separator) {
    const int hour = secondOfDay / 3600;
    const int minute = (secondOfDay % 3600) / 60;
    const int second = secondOfDay % 60;
    const bool twelveHour = counterMode == 4 || counterMode == 6;
    const bool withSeconds = counterMode == 4 || counterMode == 5;

    int shownHour = hour;
    if (twelveHour) {
        shownHour = hour % 12;
        if (shownHour == 0)
            shownHour = 12;
    }
    std::string text = std::to_string(shownHour) + separator + TwoDigits(minute);
    if (withSeconds)
        text += separator + TwoDigits(second);
    if (twelveHour)
        text += hour < 12 ? " AM" : " PM";
    return text;
}

} // namespace quorvane
