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

// Length of the well-formed UTF-8 sequence at APos, or 0 when the byte there does
// not start one.
std::size_t SequenceLength(std::string_view AText, std::size_t APos)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(AText[APos + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;  // no encoded surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (APos + length > AText.size()) return 0;
    if (byte(1) < low || byte(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    }
    return length;
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

std::size_t Utf16Length(std::string_view AText)
{
    std::size_t units = 0;
    for (std::size_t i = 0; i < AText.size();) {
        const std::size_t length = SequenceLength(AText, i);
        units += length == 4 ? 2 : 1;
        i += length == 0 ? 1 : length;
    }
    return units;
}

std::string CutUtf16(std::string_view AText, std::size_t ACodeUnits)
{
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < AText.size()) {
        const std::size_t length = SequenceLength(AText, i);
        const std::size_t needed = length == 4 ? 2 : 1;
        if (units + needed > ACodeUnits) break;
        units += needed;
        i += length == 0 ? 1 : length;
    }
    return std::string(AText.substr(0, i));
}

std::string SanitizeUtf8(std::string_view AText)
{
    std::string result;
    result.reserve(AText.size());
    for (std::size_t i = 0; i < AText.size();) {
        const std::size_t length = SequenceLength(AText, i);
        if (length == 0) {
            result.append("\xEF\xBF\xBD");
            ++i;
        } else {
            result.append(AText.substr(i, length));
            i += length;
        }
    }
    return result;
}

std::int32_t CapInteger(std::int32_t AValue, std::int32_t ALimit) { return AValue >= ALimit ? ALimit : AValue; }

double RoundHalfEven(double AValue, int APlaces)
{
    // Extended precision (64-bit mantissa) holds the scaled product of a double
    // exactly for the few places we use, so the halfway test is made on the double
    // as held and not on a product already rounded to 53 bits.
    static_assert(sizeof(long double) > sizeof(double), "extended precision is required for the rounding");
    long double scale = 1.0L;
    long double inverse = 1.0L;
    for (int i = 0; i < APlaces; ++i) {
        scale *= 10.0L;
    }
    switch (APlaces) {
    case 0: inverse = 1.0L; break;
    case 1: inverse = 0.1L; break;
    case 2: inverse = 0.01L; break;
    case 3: inverse = 0.001L; break;
    default: inverse = 1.0L / scale; break;
    }
    const long double product = static_cast<long double>(AValue) * scale;
    const long double rounded = std::nearbyint(product);  // default mode: to nearest, ties to even
    return static_cast<double>(rounded * inverse);
}

}  // namespace qorita::xml
