#pragma once

// What the courier accepts in the values of its request documents: the setters
// of the messages cap integers and round decimals with these (texts are cut to
// UTF-16 code units with common/Utf8.h).

#include <cstdint>

namespace qorita::labelservice {

// ALimit when AValue >= ALimit (signed comparison), AValue otherwise.
std::int32_t CapInteger(std::int32_t AValue, std::int32_t ALimit);

// Rounds to APlaces decimal places, half to even, with the scaling done in extended
// precision so that the decision follows the double actually held: 2.25 -> 2.2,
// 2.35 -> 2.4 (held slightly above 2.35), 0.125 -> 0.12.
double RoundHalfEven(double AValue, int APlaces);

}  // namespace qorita::labelservice
