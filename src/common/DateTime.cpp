#include "common/DateTime.h"

#include "common/LocalTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace qorita {
namespace {

constexpr double MsPerDay = 86400000.0;

// Days from 1970-01-01 of a proleptic Gregorian civil date (H. Hinnant's algorithm).
std::int64_t DaysFromCivil(std::int64_t AYear, unsigned AMonth, unsigned ADay)
{
    const unsigned m = AMonth;
    const unsigned d = ADay;
    const std::int64_t y = AYear - (m <= 2);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t ADays, int& AYear, int& AMonth, int& ADay)
{
    const std::int64_t z = ADays + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    AYear = static_cast<int>(y + (m <= 2));
    AMonth = static_cast<int>(m);
    ADay = static_cast<int>(d);
}

const std::int64_t EpochOffsetDays = DaysFromCivil(1899, 12, 30);

}  // namespace

TDateTime EncodeDateTime(const TDateTimeParts& AParts)
{
    const std::int64_t days =
        DaysFromCivil(AParts.Year, static_cast<unsigned>(AParts.Month), static_cast<unsigned>(AParts.Day)) -
        EpochOffsetDays;
    const double fraction = ((AParts.Hour * 60.0 + AParts.Minute) * 60.0 + AParts.Second) * 1000.0 + AParts.Millisecond;
    // Before 1899-12-30 the whole part is negative while the fraction still adds the
    // time of day (Delphi's convention): -1.25 is 1899-12-29 06:00.
    const double timePart = fraction / MsPerDay;
    return days >= 0 ? static_cast<double>(days) + timePart : static_cast<double>(days) - timePart;
}

TDateTimeParts DecodeDateTime(TDateTime AValue)
{
    TDateTimeParts parts;
    const double whole = std::trunc(AValue);
    double fraction = std::fabs(AValue - whole);
    auto ms = static_cast<std::int64_t>(std::llround(fraction * MsPerDay));
    auto days = static_cast<std::int64_t>(whole);
    if (ms >= static_cast<std::int64_t>(MsPerDay)) {
        ms -= static_cast<std::int64_t>(MsPerDay);
        days += AValue >= 0 ? 1 : -1;
    }
    CivilFromDays(days + EpochOffsetDays, parts.Year, parts.Month, parts.Day);
    parts.Millisecond = static_cast<int>(ms % 1000);
    const std::int64_t totalSeconds = ms / 1000;
    parts.Second = static_cast<int>(totalSeconds % 60);
    parts.Minute = static_cast<int>((totalSeconds / 60) % 60);
    parts.Hour = static_cast<int>(totalSeconds / 3600);
    return parts;
}

TDateTime Now()
{
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    const std::tm local = LocalTime(seconds);
    TDateTimeParts parts;
    parts.Year = local.tm_year + 1900;
    parts.Month = local.tm_mon + 1;
    parts.Day = local.tm_mday;
    parts.Hour = local.tm_hour;
    parts.Minute = local.tm_min;
    parts.Second = local.tm_sec;
    parts.Millisecond = static_cast<int>(ms % 1000);
    return EncodeDateTime(parts);
}

TDateTime TruncateToSecond(TDateTime AValue)
{
    TDateTimeParts parts = DecodeDateTime(AValue);
    parts.Millisecond = 0;
    return EncodeDateTime(parts);
}

// Written with snprintf rather than strftime: strftime's %Y drops the leading
// zeros of the years before 1000 that a database date can hold.
std::string FormatStamp(TDateTime AValue)
{
    const TDateTimeParts p = DecodeDateTime(AValue);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d%02d%02d%02d", p.Year, p.Month, p.Day, p.Hour, p.Minute,
                  p.Second);
    return buffer;
}

std::string FormatIso(TDateTime AValue)
{
    const TDateTimeParts p = DecodeDateTime(AValue);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", p.Year, p.Month, p.Day, p.Hour, p.Minute,
                  p.Second, p.Millisecond);
    return buffer;
}

}  // namespace qorita
