#pragma once

// What the courier registered, set against what the database holds: every
// parcel registered exactly once, and the database holding exactly the labels
// the courier issued.
#include "TestDatabase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorita::sandbox {
class TSandboxCourier;
}

namespace qorita::test {

struct TLedger {
    int SentParcels = 0;  // parcels of the database with a send stamp
    int Registrations = 0;
    // A parcel registered more than once: a counter registered twice, or two
    // parcels of the database holding one counter.
    int Duplicates = 0;
    // A registration whose label no parcel of the database holds.
    int LostLabels = 0;
    // A sent parcel whose counter, label or number is not what the courier issued.
    int Mismatches = 0;
    std::vector<std::string> Problems;  // one line each, for the failure message

    bool Clean() const { return Duplicates == 0 && LostLabels == 0 && Mismatches == 0; }
    std::string Report() const;
};

TLedger CompareWithCourier(TTestDatabase& ADb, const sandbox::TSandboxCourier& ACourier,
                           std::int32_t ACodiceCliente = 1234);

}  // namespace qorita::test
