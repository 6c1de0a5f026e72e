#include "labelservice/CourierRules.h"

#include <cmath>

namespace qorita::labelservice {

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

}  // namespace qorita::labelservice
