#pragma once

// The local calendar time of a moment, thread-safe (LocalTime.Posix.cpp with
// localtime_r, LocalTime.Windows.cpp with localtime_s).
#include <ctime>

namespace qorita {

std::tm LocalTime(std::time_t ASeconds);

}  // namespace qorita
