#include "Numbers.h"

#include "common/Text.h"

#include <charconv>
#include <cmath>

namespace qorita::sandbox {

std::optional<std::int32_t> ParseInt(std::string_view AText)
{
    const std::string_view text = Trim(AText);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseDecimal(std::string_view AText)
{
    const std::string_view text = Trim(AText);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatDecimal(double AValue)
{
    char buffer[400];  // room for the longest fixed-notation double
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

std::string FormatFixed(double AValue, int ADecimals)
{
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::fixed, ADecimals);
    return std::string(buffer, result.ptr);
}

}  // namespace qorita::sandbox
