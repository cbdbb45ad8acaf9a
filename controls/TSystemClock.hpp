#pragma once

#include "TimerEngine.hpp"

#include <QString>

// The local time of day and the desktop locale's time separator.
class TSystemClock : public quorvane::IClock {
public:
    int SecondOfDay() const override;
    std::string TimeSeparator() const override;

    // The separator between the hour and the minute fields of a Qt time format; ":" when the
    // format has none.
    static std::string SeparatorOf(const QString& timeFormat);
};
