#pragma once

// Numbers written as text, the same in every locale: "." is the decimal
// separator and no digits are grouped. Every number the program writes for a
// reader (a database column, an XML element) goes through here.
#include <cstdint>
#include <string>

namespace qorita {

// Decimal digits with a leading "-" for negatives.
std::string FormatInteger(std::int64_t AValue);

// At most 15 significant digits in the shorter of the fixed and the exponent
// form, trailing zeros dropped: "2.5", "12", "0.1", "1e+20", "1e-05", "-0".
// Not-a-number and the infinities are "nan", "inf" and "-inf".
std::string FormatDouble(double AValue);

}  // namespace qorita
