#include "common/Numbers.h"

#include <charconv>

namespace qorita {

std::string FormatInteger(std::int64_t AValue)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return std::string(buffer, result.ptr);
}

std::string FormatDouble(double AValue)
{
    // The general form with a precision is printf's "%.15g", without the locale.
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

}  // namespace qorita
