#include "common/Utf8.h"

namespace qorita {

namespace {

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

std::string_view FirstCharacters(std::string_view AText, std::size_t ACount)
{
    std::size_t end = 0;
    for (std::size_t chars = 0; end < AText.size() && chars < ACount; ++chars) {
        ++end;
        while (end < AText.size() && (static_cast<unsigned char>(AText[end]) & 0xC0) == 0x80) ++end;
    }
    return AText.substr(0, end);
}

}  // namespace qorita
