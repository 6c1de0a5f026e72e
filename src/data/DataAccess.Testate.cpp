#include "data/DataAccess.h"

namespace qorita {

bool TQorItaTestateAccess::Load(std::int32_t AId, TQorItaTestateData& ATo)
{
    // Locked for the run (nowait), so that two calls on one shipment can never
    // both register it with the courier.
    if (!FSQLSelect1) FSQLSelect1 = NewStatement(sql::TestateSelect);
    fb::TFbStatement& sql = *FSQLSelect1;
    SetParamInteger(AId, sql.Param("ID"), false);
    sql.Execute();
    const bool found = !sql.Eof();
    if (found) ReadColumns(sql, TestateColumns, ATo);
    sql.Close();
    return found;
}

void TQorItaTestateAccess::Save(TQorItaTestateData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenTestateId);
    if (!FSQLUpdateOrInsert) FSQLUpdateOrInsert = NewStatement(sql::TestateUpdateOrInsert());
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    BindColumns(AData, TestateColumns, sql);
    sql.Execute();
}

}  // namespace qorita
