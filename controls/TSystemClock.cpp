#include "TSystemClock.hpp"

#include <QLocale>
#include <QTime>

int TSystemClock::SecondOfDay() const {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000;
}

std::string TSystemClock::TimeSeparator() const {
    return SeparatorOf(QLocale::system().timeFormat(QLocale::ShortFormat));
}

std::string TSystemClock::SeparatorOf(const QString& timeFormat) {
    const auto isHour = [](QChar c) { return c == QLatin1Char('h') || c == QLatin1Char('H'); };
    qsizetype i = 0;
    while (i < timeFormat.size() && !isHour(timeFormat[i]))
        ++i;
    while (i < timeFormat.size() && isHour(timeFormat[i]))
        ++i;
    QString separator;
    for (; i < timeFormat.size() && timeFormat[i] != QLatin1Char('m'); ++i) {
        if (timeFormat[i] != QLatin1Char('\''))
            separator += timeFormat[i];
    }
    separator = separator.trimmed();
    if (separator.isEmpty() || i == timeFormat.size())
        return ":";
    return separator.toStdString();
}
