#pragma once

#include <cstdint>
#include <string>

namespace qorita {

// A date-time is a double: the whole part counts days since 30 December 1899, the
// fraction is the time of day (local time). 0.0 means "not set".
using TDateTime = double;

struct TDateTimeParts {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

TDateTime EncodeDateTime(const TDateTimeParts& AParts);
TDateTimeParts DecodeDateTime(TDateTime AValue);

// The local clock, to the millisecond.
TDateTime Now();

// Drops the milliseconds: the database keeps date-times to the whole second.
TDateTime TruncateToSecond(TDateTime AValue);

// "%Y%m%d%H%M%S" (strftime notation), as used in archive file names.
std::string FormatStamp(TDateTime AValue);

// "%Y-%m-%d %H:%M:%S" and the milliseconds as ".mmm", for people reading logs
// and tests.
std::string FormatIso(TDateTime AValue);

}  // namespace qorita
