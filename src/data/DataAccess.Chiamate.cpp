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
        ATo.SetId(GetFieldInteger(sql.Field("ID")));
        ATo.SetTestata(GetFieldInteger(sql.Field("TESTATA")));
        ATo.SetDataOra(GetFieldDateTime(sql.Field("DATAORA")));
        ATo.SetOperatore(GetFieldInteger(sql.Field("OPERATORE")));
        ATo.SetEsitoCodice(GetFieldInteger(sql.Field("ESITO_CODICE")));
        ATo.SetEsitoMessaggio(GetFieldString(sql.Field("ESITO_MESSAGGIO")));
    }
    sql.Close();
    return found;
}

void TQorItaChiamateAccess::Save(TQorItaChiamateData& AData)
{
    if (AData.Id() == 0) AData.SetId(GenId(sql::GenChiamateId));
    if (!FSQLUpdateOrInsert) {
        FSQLUpdateOrInsert = NewStatement(sql::ChiamateUpdateOrInsert);
    }
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    SetParamInteger(AData.Id(), sql.Param("ID"), false);
    SetParamInteger(AData.Testata(), sql.Param("TESTATA"), true);
    SetParamDateTime(AData.DataOra(), sql.Param("DATAORA"));
    SetParamInteger(AData.Operatore(), sql.Param("OPERATORE"), true);
    SetParamInteger(AData.EsitoCodice(), sql.Param("ESITO_CODICE"), false);
    SetParamString(AData.EsitoMessaggio(), sql.Param("ESITO_MESSAGGIO"));
    sql.Execute();
}

}  // namespace qorita
