#include "common/Numbers.h"

#include <charconv>
#include <cstdio>

namespace qorita {

std::string FormatInteger(std::int64_t AValue)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return std::string(buffer, result.ptr);
}

std::string FormatPaddedId(std::int32_t AId)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08d", AId);
    return buffer;
}

std::string FormatDouble(double AValue)
{
    // The general form with a precision is printf's "%.15g", without the locale.
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::general, 15);
    return std::string(buffer, result.ptr);
}

std::string FormatDoubleExact(double AValue)
{
    char buffer[40];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return std::string(buffer, result.ptr);
}

namespace {

template <typename TNumber>
bool ParseWhole(std::string_view AText, TNumber& AValue)
{
    TNumber value{};
    const auto result = std::from_chars(AText.data(), AText.data() + AText.size(), value);
    if (AText.empty() || result.ec != std::errc() || result.ptr != AText.data() + AText.size()) return false;
    AValue = value;
    return true;
}

}  // namespace

bool ParseInteger(std::string_view AText, std::int32_t& AValue) { return ParseWhole(AText, AValue); }

bool ParseInteger(std::string_view AText, std::int64_t& AValue) { return ParseWhole(AText, AValue); }

bool ParseDouble(std::string_view AText, double& AValue) { return ParseWhole(AText, AValue); }

}  // namespace qorita
