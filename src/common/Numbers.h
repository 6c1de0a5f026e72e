#pragma once

// Numbers as text, the same in every locale: "." is the decimal separator and
// no digits are grouped. Every number the program writes for a reader (a
// database column, a journal file) or reads back from such a text goes
// through here.
#include <cstdint>
#include <string>
#include <string_view>

namespace qorita {

// Decimal digits with a leading "-" for negatives.
std::string FormatInteger(std::int64_t AValue);

// At least eight digits, zero-padded ("00001234"): how a header's ID names
// its archived files and its journal folder.
std::string FormatPaddedId(std::int32_t AId);

// At most 15 significant digits in the shorter of the fixed and the exponent
// form, trailing zeros dropped: "2.5", "12", "0.1", "1e+20", "1e-05", "-0".
// Not-a-number and the infinities are "nan", "inf" and "-inf".
std::string FormatDouble(double AValue);

// The shortest text that reads back as exactly AValue: for values the program
// writes to read them again itself (a stamp that must come back to the bit).
std::string FormatDoubleExact(double AValue);

// The whole text as a decimal integer with an optional "-", or false (AValue
// untouched) for anything else: blanks, a "+", other characters, a value out
// of AValue's range.
bool ParseInteger(std::string_view AText, std::int32_t& AValue);
bool ParseInteger(std::string_view AText, std::int64_t& AValue);

// The whole text as a decimal number with "." and an optional exponent
// ("inf" and "nan" included), or false.
bool ParseDouble(std::string_view AText, double& AValue);

}  // namespace qorita
