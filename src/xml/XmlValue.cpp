#include "xml/XmlValue.h"

#include "common/Exception.h"
#include "common/Numbers.h"
#include "common/Text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace qorita::xml {

namespace {

bool IsSpace(char AChar) { return static_cast<unsigned char>(AChar) <= ' '; }

// [+-]? (digits [. digits?] | . digits) ([eE] [+-]? digits)?
bool IsDecimalNumber(std::string_view AText)
{
    std::size_t i = 0;
    const auto digits = [&]() {
        const std::size_t start = i;
        while (i < AText.size() && AText[i] >= '0' && AText[i] <= '9') ++i;
        return i - start;
    };
    if (i < AText.size() && (AText[i] == '+' || AText[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < AText.size() && AText[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < AText.size() && (AText[i] == 'e' || AText[i] == 'E')) {
        ++i;
        if (i < AText.size() && (AText[i] == '+' || AText[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == AText.size();
}

}  // namespace

std::string IntegerToText(std::int32_t AValue) { return FormatInteger(AValue); }

std::string DoubleToText(double AValue)
{
    if (std::isnan(AValue)) return "NaN";
    if (std::isinf(AValue)) return AValue > 0 ? "INF" : "-INF";
    if (AValue == 0) return "0";  // also for -0: a weight is never "minus zero"
    return FormatDouble(AValue);
}

std::string BooleanToText(bool AValue) { return AValue ? "true" : "false"; }

std::int32_t TextToInteger(std::string_view AText)
{
    if (AText.empty()) {
        throw Exception(Format("Could not convert variant of type (%s) into type (%s)", "Null", "Integer"));
    }
    const auto value = TryStrToInt(AText);
    if (!value) {
        throw Exception(Format("Could not convert variant of type (%s) into type (%s)", "String", "Integer"));
    }
    return *value;
}

double TextToDecimal(std::string_view AText)
{
    if (EqualsNoCase(AText, "NAN")) return std::nan("");
    if (EqualsNoCase(AText, "INF")) return HUGE_VAL;
    if (EqualsNoCase(AText, "-INF")) return -HUGE_VAL;
    std::string_view trimmed = AText;
    while (!trimmed.empty() && IsSpace(trimmed.front())) trimmed.remove_prefix(1);
    while (!trimmed.empty() && IsSpace(trimmed.back())) trimmed.remove_suffix(1);
    if (trimmed.empty()) return 0;
    const auto invalid = [&]() {
        return Exception(Format("'%s' is not a valid floating point value", std::string(AText).c_str()));
    };
    if (!IsDecimalNumber(trimmed)) throw invalid();
    if (trimmed.front() == '+') trimmed.remove_prefix(1);
    double value = 0;
    const auto result = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
    if (result.ec != std::errc() || result.ptr != trimmed.data() + trimmed.size()) throw invalid();
    return value;
}

}  // namespace qorita::xml
