#include "data/DataAccess.h"

namespace qorita {

bool TQorItaChiamateAccess::Load(std::int32_t AId, TQorItaChiamateData& ATo)
{
    // The row is locked for the run (nowait): a second run started on the same
    // call fails here at once instead of calling the courier a second time and
    // overwriting the first run's outcome.
    if (!FSQLSelect1) FSQLSelect1 = NewStatement(sql::ChiamateSelect);
    fb::TFbStatement& sql = *FSQLSelect1;
    SetParamInteger(AId, sql.Param("ID"), false);
    sql.Execute();
    const bool found = !sql.Eof();
    if (found) ReadColumns(sql, ChiamateColumns, ATo);
    sql.Close();
    return found;
}

void TQorItaChiamateAccess::Save(TQorItaChiamateData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenChiamateId);
    if (!FSQLUpdateOrInsert) FSQLUpdateOrInsert = NewStatement(sql::ChiamateUpdateOrInsert());
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    BindColumns(AData, ChiamateColumns, sql);
    sql.Execute();
}

}  // namespace qorita
