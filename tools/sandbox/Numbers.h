#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qorita::sandbox {

// Locale-free number texts as the courier reads and writes them ("." decimal
// separator, surrounding blanks ignored on reading, nothing else allowed).
std::optional<std::int32_t> ParseInt(std::string_view AText);
std::optional<double> ParseDecimal(std::string_view AText);
// Shortest text that reads back as the same double.
std::string FormatDecimal(double AValue);
// Fixed number of decimals, e.g. amounts with 2.
std::string FormatFixed(double AValue, int ADecimals);

}  // namespace qorita::sandbox
