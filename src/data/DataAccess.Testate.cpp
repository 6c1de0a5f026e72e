#include "data/DataAccess.h"

namespace qorita {

bool TQorItaTestateAccess::Load(std::int32_t AId, TQorItaTestateData& ATo)
{
    // Locked for the run (nowait), so that two calls on one shipment can never
    // both register it with the courier.
    return LoadRowById(FSelect, sql::TestateSelect, AId, TestateColumns, ATo);
}

void TQorItaTestateAccess::Save(TQorItaTestateData& AData)
{
    SaveRowWithId(FUpdateOrInsert, &sql::TestateUpdateOrInsert, sql::GenTestateId, TestateColumns, AData);
}

}  // namespace qorita
