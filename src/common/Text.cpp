#include "common/Text.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <cwctype>

namespace qorita {
namespace {

constexpr std::string_view Blanks = " \t\r\n";

char UpperAsciiChar(char AChar) { return AChar >= 'a' && AChar <= 'z' ? static_cast<char>(AChar - 'a' + 'A') : AChar; }
char LowerAsciiChar(char AChar) { return AChar >= 'A' && AChar <= 'Z' ? static_cast<char>(AChar - 'A' + 'a') : AChar; }

bool SameLetter(char ALeft, char ARight) { return LowerAsciiChar(ALeft) == LowerAsciiChar(ARight); }

template <typename TEntries>
std::string JoinWithCrLf(const TEntries& AEntries)
{
    std::string text;
    for (const auto& entry : AEntries) {
        text += entry;
        text += "\r\n";
    }
    return text;
}

}  // namespace

std::string UpperCase(std::string_view AText)
{
    std::string result;
    result.reserve(AText.size());
    std::mbstate_t in{};
    std::mbstate_t out{};
    const char* cursor = AText.data();
    const char* end = AText.data() + AText.size();
    char buffer[MB_LEN_MAX];
    while (cursor < end) {
        const unsigned char byte = static_cast<unsigned char>(*cursor);
        if (byte < 0x80) {
            result.push_back(UpperAsciiChar(static_cast<char>(byte)));
            ++cursor;
            continue;
        }
        wchar_t wide = 0;
        const std::size_t used = std::mbrtowc(&wide, cursor, static_cast<std::size_t>(end - cursor), &in);
        if (used == static_cast<std::size_t>(-1) || used == static_cast<std::size_t>(-2) || used == 0) {
            // Not decodable in this locale (for example the C locale): keep the byte.
            in = std::mbstate_t{};
            result.push_back(*cursor++);
            continue;
        }
        const std::size_t written =
            std::wcrtomb(buffer, static_cast<wchar_t>(std::towupper(static_cast<wint_t>(wide))), &out);
        if (written == static_cast<std::size_t>(-1)) {
            result.append(cursor, used);
        } else {
            result.append(buffer, written);
        }
        cursor += used;
    }
    return result;
}

std::string UpperAscii(std::string_view AText)
{
    std::string result(AText);
    std::transform(result.begin(), result.end(), result.begin(), UpperAsciiChar);
    return result;
}

std::string LowerAscii(std::string_view AText)
{
    std::string result(AText);
    std::transform(result.begin(), result.end(), result.begin(), LowerAsciiChar);
    return result;
}

bool EqualsNoCase(std::string_view ALeft, std::string_view ARight)
{
    return ALeft.size() == ARight.size() && std::equal(ALeft.begin(), ALeft.end(), ARight.begin(), SameLetter);
}

bool StartsWithNoCase(std::string_view AText, std::string_view APrefix)
{
    return AText.size() >= APrefix.size() && EqualsNoCase(AText.substr(0, APrefix.size()), APrefix);
}

std::string_view Trim(std::string_view AText)
{
    const std::size_t first = AText.find_first_not_of(Blanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = AText.find_last_not_of(Blanks);
    return AText.substr(first, last - first + 1);
}

std::optional<std::int32_t> TryStrToInt(std::string_view AText)
{
    std::size_t i = 0;
    while (i < AText.size() && AText[i] == ' ') ++i;
    bool negative = false;
    if (i < AText.size() && (AText[i] == '-' || AText[i] == '+')) {
        negative = AText[i] == '-';
        ++i;
    }
    bool hex = false;
    if (i < AText.size() && (AText[i] == '$' || AText[i] == 'x' || AText[i] == 'X')) {
        hex = true;
        ++i;
    } else if (i + 1 < AText.size() && AText[i] == '0' && (AText[i + 1] == 'x' || AText[i + 1] == 'X')) {
        hex = true;
        i += 2;
    }
    if (i >= AText.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < AText.size(); ++i) {
        const char c = AText[i];
        unsigned digit;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * (hex ? 16u : 10u) + digit;
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (hex) {
        const auto bits = static_cast<std::uint32_t>(value);
        auto signedValue = static_cast<std::int32_t>(bits);
        return negative ? static_cast<std::int32_t>(0u - bits) : signedValue;
    }
    if (negative) {
        if (value > 2147483648ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > 2147483647ull) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::int32_t StrToIntDef(std::string_view AText, std::int32_t ADefault)
{
    return TryStrToInt(AText).value_or(ADefault);
}

std::string Join(const std::vector<std::string>& AItems, std::string_view ASeparator)
{
    std::string text;
    for (const std::string& item : AItems) {
        if (&item != &AItems.front()) text += ASeparator;
        text += item;
    }
    return text;
}

std::string JoinLines(const std::vector<std::string>& AEntries) { return JoinWithCrLf(AEntries); }

std::string JoinLines(std::initializer_list<std::string_view> AEntries) { return JoinWithCrLf(AEntries); }

std::string OneLine(std::string_view AMessage)
{
    std::string result;
    std::size_t start = 0;
    while (start <= AMessage.size()) {
        std::size_t end = AMessage.find('\n', start);
        if (end == std::string_view::npos) end = AMessage.size();
        std::string_view line = AMessage.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == '-' || line.front() == ' ')) line.remove_prefix(1);
        if (!line.empty()) {
            if (!result.empty()) result += "; ";
            result += line;
        }
        start = end + 1;
    }
    return result;
}

}  // namespace qorita
