#include "TestDate.h"

#include <ctime>

namespace rovana {

std::optional<std::int64_t> LocalMidnight(int year, int month, int day)
{
    if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31)
        return std::nullopt;
    if (year > 3000)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) || t < 0 || tm.tm_year + 1900 > 3000)
        return std::nullopt;
    return static_cast<std::int64_t>(t);
}

QString FormatDate(std::int64_t secondsSince1970)
{
    const auto t = static_cast<std::time_t>(secondsSince1970);
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return {};
    return QStringLiteral("%1-%2-%3")
        .arg(tm.tm_year + 1900, 4, 10, QLatin1Char('0'))
        .arg(tm.tm_mon + 1, 2, 10, QLatin1Char('0'))
        .arg(tm.tm_mday, 2, 10, QLatin1Char('0'));
}

} // namespace rovana
