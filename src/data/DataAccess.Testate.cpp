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
    if (found) {
        ATo.Id = GetFieldInteger(sql.Field("ID"));
        ATo.DocumentoId = GetFieldInteger(sql.Field("DOCUMENTO_ID"));
        ATo.DocumentoLinea = GetFieldString(sql.Field("DOCUMENTO_LINEA"));
        ATo.RagioneSociale = GetFieldString(sql.Field("RAGIONESOCIALE"));
        ATo.Indirizzo = GetFieldString(sql.Field("INDIRIZZO"));
        ATo.Localita = GetFieldString(sql.Field("LOCALITA"));
        ATo.ZipCode = GetFieldString(sql.Field("ZIPCODE"));
        ATo.Provincia = GetFieldString(sql.Field("PROVINCIA"));
        ATo.Colli = GetFieldInteger(sql.Field("COLLI"));
        ATo.TipoEtichetta = GetFieldString(sql.Field("TIPOETICHETTA"));
        ATo.NumeroSpedizione = GetFieldInteger(sql.Field("NUMEROSPEDIZIONE"));
        ATo.CreazioneDataOra = GetFieldDateTime(sql.Field("CREAZIONE_DATAORA"));
        ATo.CreazioneOperatore = GetFieldInteger(sql.Field("CREAZIONE_OPERATORE"));
        ATo.StampaDataOra = GetFieldDateTime(sql.Field("STAMPA_DATAORA"));
        ATo.StampaOperatore = GetFieldInteger(sql.Field("STAMPA_OPERATORE"));
        ATo.ConfermaDataOra = GetFieldDateTime(sql.Field("CONFERMA_DATAORA"));
        ATo.ConfermaOperatore = GetFieldInteger(sql.Field("CONFERMA_OPERATORE"));
        ATo.PesoTotale = GetFieldDouble(sql.Field("PESOTOTALE"));
        ATo.ContrassegnoTotale = GetFieldDouble(sql.Field("CONTRASSEGNOTOTALE"));
        ATo.ModalitaIncasso = GetFieldString(sql.Field("MODALITAINCASSO"));
        ATo.IdBordero = GetFieldInteger(sql.Field("IDBORDERO"));
        ATo.EliminazioneDataOra = GetFieldDateTime(sql.Field("ELIMINAZIONE_DATAORA"));
        ATo.EliminazioneOperatore = GetFieldInteger(sql.Field("ELIMINAZIONE_OPERATORE"));
        ATo.EMail = GetFieldString(sql.Field("EMAIL"));
        ATo.Cellulare1 = GetFieldString(sql.Field("CELLULARE1"));
        ATo.ServiziAccessori = GetFieldString(sql.Field("SERVIZIACCESSORI"));
        ATo.Status = GetFieldString(sql.Field("STATUS"));
    }
    sql.Close();
    return found;
}

void TQorItaTestateAccess::Save(TQorItaTestateData& AData)
{
    if (AData.Id == 0) AData.Id = GenId(sql::GenTestateId);
    if (!FSQLUpdateOrInsert) {
        FSQLUpdateOrInsert = NewStatement(sql::TestateUpdateOrInsert);
    }
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    SetParamInteger(AData.Id, sql.Param("ID"), false);
    SetParamInteger(AData.DocumentoId, sql.Param("DOCUMENTO_ID"), true);
    SetParamString(AData.DocumentoLinea, sql.Param("DOCUMENTO_LINEA"));
    SetParamString(AData.RagioneSociale, sql.Param("RAGIONESOCIALE"));
    SetParamString(AData.Indirizzo, sql.Param("INDIRIZZO"));
    SetParamString(AData.Localita, sql.Param("LOCALITA"));
    SetParamString(AData.ZipCode, sql.Param("ZIPCODE"));
    SetParamString(AData.Provincia, sql.Param("PROVINCIA"));
    SetParamInteger(AData.Colli, sql.Param("COLLI"), false);
    SetParamString(AData.TipoEtichetta, sql.Param("TIPOETICHETTA"));
    SetParamInteger(AData.NumeroSpedizione, sql.Param("NUMEROSPEDIZIONE"), true);
    SetParamDateTime(AData.CreazioneDataOra, sql.Param("CREAZIONE_DATAORA"));
    SetParamInteger(AData.CreazioneOperatore, sql.Param("CREAZIONE_OPERATORE"), true);
    SetParamDateTime(AData.StampaDataOra, sql.Param("STAMPA_DATAORA"));
    SetParamInteger(AData.StampaOperatore, sql.Param("STAMPA_OPERATORE"), true);
    SetParamDateTime(AData.ConfermaDataOra, sql.Param("CONFERMA_DATAORA"));
    SetParamInteger(AData.ConfermaOperatore, sql.Param("CONFERMA_OPERATORE"), true);
    SetParamDouble(AData.PesoTotale, sql.Param("PESOTOTALE"), true);
    SetParamDouble(AData.ContrassegnoTotale, sql.Param("CONTRASSEGNOTOTALE"), true);
    SetParamString(AData.ModalitaIncasso, sql.Param("MODALITAINCASSO"));
    SetParamInteger(AData.IdBordero, sql.Param("IDBORDERO"), true);
    SetParamDateTime(AData.EliminazioneDataOra, sql.Param("ELIMINAZIONE_DATAORA"));
    SetParamInteger(AData.EliminazioneOperatore, sql.Param("ELIMINAZIONE_OPERATORE"), true);
    SetParamString(AData.EMail, sql.Param("EMAIL"));
    SetParamString(AData.Cellulare1, sql.Param("CELLULARE1"));
    SetParamString(AData.ServiziAccessori, sql.Param("SERVIZIACCESSORI"));
    SetParamString(AData.Status, sql.Param("STATUS"));
    sql.Execute();
}

}  // namespace qorita
