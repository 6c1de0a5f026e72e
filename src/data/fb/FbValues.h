#pragma once

// Conversions between the program's values and the client's wire formats.
// Internal to the wrapper.
#include "common/DateTime.h"
#include "data/fb/FbApi.h"

#include <cstring>

namespace qorita::fb {

// To the whole second: the database keeps date-times to the second.
ISC_TIMESTAMP EncodeTimestamp(TDateTime AValue);
TDateTime DecodeTimestamp(ISC_DATE ADate, ISC_TIME ATime);

// A value in a message buffer, where the client keeps no alignment for us.
template <typename T>
T LoadValue(const unsigned char* AData)
{
    T value;
    std::memcpy(&value, AData, sizeof value);
    return value;
}

template <typename T>
void StoreValue(unsigned char* AData, const T& AValue)
{
    std::memcpy(AData, &AValue, sizeof AValue);
}

}  // namespace qorita::fb
