#pragma once

// Conversions between the program's values and the client's wire formats.
// Internal to the wrapper.
#include "common/DateTime.h"
#include "data/fb/FbApi.h"

namespace qorita::fb {

// To the whole second: the database keeps date-times to the second.
ISC_TIMESTAMP EncodeTimestamp(TDateTime AValue);
TDateTime DecodeTimestamp(ISC_DATE ADate, ISC_TIME ATime);

}  // namespace qorita::fb
