#include "Numbers.h"

#include <charconv>
#include <cmath>

namespace qorita::sandbox {

namespace {

std::string_view Trim(std::string_view AText)
{
    const auto first = AText.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = AText.find_last_not_of(" \t\r\n");
    return AText.substr(first, last - first + 1);
}

}  // namespace

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
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value,
                                              std::chars_format::fixed);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::string FormatInt(std::int64_t AValue)
{
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, AValue);
    return std::string(buffer, result.ptr);
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
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, AValue, std::chars_format::fixed, ADecimals);
    return std::string(buffer, result.ptr);
}

}  // namespace qorita::sandbox
