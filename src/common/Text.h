#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorita {

// Upper-cases UTF-8 text with the character classes of the user's locale
// (LC_CTYPE, set once by the entry); ASCII is handled the same in every locale.
std::string UpperCase(std::string_view AText);

// Letter case of ASCII letters only, in every locale: for names, keywords and
// protocol words, where a byte of a UTF-8 character must never change.
std::string UpperAscii(std::string_view AText);
std::string LowerAscii(std::string_view AText);
bool EqualsNoCase(std::string_view ALeft, std::string_view ARight);
bool StartsWithNoCase(std::string_view AText, std::string_view APrefix);

// The text without the blanks (space, tab, CR, LF) at both ends.
std::string_view Trim(std::string_view AText);

// The platform's text-to-integer rule: leading blanks skipped, an optional sign,
// then decimal digits or hexadecimal digits after "$", "x", "X", "0x" or "0X";
// nothing may follow the digits. A decimal value must lie in the 32-bit signed
// range; a hexadecimal one must fit in 32 bits and is taken as signed.
std::optional<std::int32_t> TryStrToInt(std::string_view AText);

// TryStrToInt, or ADefault when the text is not an integer.
std::int32_t StrToIntDef(std::string_view AText, std::int32_t ADefault);

// The items with ASeparator between each two ("a, b, c"); empty for none.
std::string Join(const std::vector<std::string>& AItems, std::string_view ASeparator);

// The entries one after the other, each followed by CR LF.
std::string JoinLines(const std::vector<std::string>& AEntries);
std::string JoinLines(std::initializer_list<std::string_view> AEntries);

// The lines of a message on one line, joined with "; ": for reports that give
// one line per item. Blank lines go, and so does the "-" the database client
// puts before its continuation lines.
std::string OneLine(std::string_view AMessage);

}  // namespace qorita
