#pragma once

// Every conversion between a value and the text of an XML element lives here:
// integers, doubles (locale-free, at most 15 significant digits, NaN/INF).

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::xml {

// Decimal digits with a leading "-" for negatives.
std::string IntegerToText(std::int32_t AValue);

// "NaN", "INF", "-INF", otherwise the shortest general form with at most 15
// significant digits, "." as separator, no trailing zeros ("2.5", "12", "0.1").
std::string DoubleToText(double AValue);

std::string BooleanToText(bool AValue);

// An empty text fails with "Could not convert variant of type (Null) into type
// (Integer)"; a text that is not a 32-bit integer fails with the same message
// naming the String type.
std::int32_t TextToInteger(std::string_view AText);

// Spaces around the number are ignored and an empty text gives 0; "NaN", "INF" and
// "-INF" are accepted in any letter case; anything else must be a decimal number
// with "." and an optional exponent, or the read fails with
// "'<text>' is not a valid floating point value".
double TextToDecimal(std::string_view AText);

}  // namespace qorita::xml
