#include "data/DataAccess.h"

namespace qorita {

bool TQorItaChiamateAccess::Load(std::int32_t AId, TQorItaChiamateData& ATo)
{
    // The row is locked for the run (nowait): a second run started on the same
    // call fails here at once instead of calling the courier a second time and
    // overwriting the first run's outcome.
    return LoadRowById(FSelect, sql::ChiamateSelect, AId, ChiamateColumns, ATo);
}

void TQorItaChiamateAccess::Save(TQorItaChiamateData& AData)
{
    SaveRowWithId(FUpdateOrInsert, &sql::ChiamateUpdateOrInsert, sql::GenChiamateId, ChiamateColumns, AData);
}

}  // namespace qorita
