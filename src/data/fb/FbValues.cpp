#include "data/fb/FbValues.h"

#include "data/fb/FbStatus.h"

namespace qorita::fb {

ISC_TIMESTAMP EncodeTimestamp(TDateTime AValue)
{
    const TDateTimeParts p = DecodeDateTime(AValue);
    Firebird::IUtil* util = Master()->getUtilInterface();
    ISC_TIMESTAMP ts;
    ts.timestamp_date =
        util->encodeDate(static_cast<unsigned>(p.Year), static_cast<unsigned>(p.Month), static_cast<unsigned>(p.Day));
    ts.timestamp_time = util->encodeTime(static_cast<unsigned>(p.Hour), static_cast<unsigned>(p.Minute),
                                         static_cast<unsigned>(p.Second), 0);
    return ts;
}

TDateTime DecodeTimestamp(ISC_DATE ADate, ISC_TIME ATime)
{
    Firebird::IUtil* util = Master()->getUtilInterface();
    unsigned year = 0, month = 0, day = 0, hours = 0, minutes = 0, seconds = 0, fractions = 0;
    util->decodeDate(ADate, &year, &month, &day);
    util->decodeTime(ATime, &hours, &minutes, &seconds, &fractions);
    return EncodeDateTime({static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                           static_cast<int>(hours), static_cast<int>(minutes), static_cast<int>(seconds), 0});
}

}  // namespace qorita::fb
