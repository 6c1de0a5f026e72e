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
    if (found) {
        ATo.Id = GetFieldInteger(sql.Field("ID"));
        ATo.Testata = GetFieldInteger(sql.Field("TESTATA"));
        ATo.DataOra = GetFieldDateTime(sql.Field("DATAORA"));
        ATo.Operatore = GetFieldInteger(sql.Field("OPERATORE"));
        ATo.EsitoCodice = GetFieldInteger(sql.Field("ESITO_CODICE"));
        ATo.EsitoMessaggio = GetFieldString(sql.Field("ESITO_MESSAGGIO"));
    }
    sql.Close();
    return found;
}

void TQorItaChiamateAccess::Save(TQorItaChiamateData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenChiamateId);
    if (!FSQLUpdateOrInsert) {
        FSQLUpdateOrInsert = NewStatement(sql::ChiamateUpdateOrInsert);
    }
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    SetParamInteger(AData.Id, sql.Param("ID"), false);
    SetParamInteger(AData.Testata, sql.Param("TESTATA"), true);
    SetParamDateTime(AData.DataOra, sql.Param("DATAORA"));
    SetParamInteger(AData.Operatore, sql.Param("OPERATORE"), true);
    SetParamInteger(AData.EsitoCodice, sql.Param("ESITO_CODICE"), false);
    SetParamString(AData.EsitoMessaggio, sql.Param("ESITO_MESSAGGIO"));
    sql.Execute();
}

}  // namespace qorita
