#include "data/DataAccess.h"

namespace qorita {

void TQorItaLogAccess::Save(TQorItaLogData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenLogId);
    if (!FSQLInsert) {
        FSQLInsert = NewStatement(sql::LogInsert);
    }
    fb::TFbStatement& sql = *FSQLInsert;
    SetParamInteger(AData.Id, sql.Param("ID"), true);
    SetParamInteger(AData.Testata, sql.Param("TESTATA"), true);
    SetParamDateTime(AData.DataOra, sql.Param("DATAORA"));
    SetParamInteger(AData.Operatore, sql.Param("OPERATORE"), true);
    SetParamString(AData.Operazione, sql.Param("OPERAZIONE"));
    SetParamString(AData.FileXmlRequest, sql.Param("FILEXML_REQUEST"));
    SetParamString(AData.FileXmlResponse, sql.Param("FILEXML_RESPONSE"));
    SetParamInteger(AData.EsitoCodice, sql.Param("ESITO_CODICE"), false);
    SetParamString(AData.EsitoMessaggio, sql.Param("ESITO_MESSAGGIO"));
    sql.Execute();
}

}  // namespace qorita
