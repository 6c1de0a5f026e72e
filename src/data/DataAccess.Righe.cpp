#include "data/DataAccess.h"

namespace qorita {

bool TQorItaRigheAccess::Load(std::int32_t ATestata, TQorItaRigheList& ATo)
{
    if (!FSQLSelect1) FSQLSelect1 = NewStatement(sql::RigheSelect);
    fb::TFbStatement& sql = *FSQLSelect1;
    SetParamInteger(ATestata, sql.Param("TESTATA"), false);
    sql.Execute();
    const bool found = !sql.Eof();
    while (!sql.Eof()) {
        TQorItaRigheData parcel;
        parcel.Testata = GetFieldInteger(sql.Field("TESTATA"));
        parcel.NCollo = GetFieldInteger(sql.Field("NCOLLO"));
        parcel.PesoReale = GetFieldDouble(sql.Field("PESOREALE"));
        parcel.ContatoreProgressivo = GetFieldInteger(sql.Field("CONTATOREPROGRESSIVO"));
        parcel.Etichetta = GetFieldString(sql.Field("ETICHETTA"));
        parcel.InvioDataOra = GetFieldDateTime(sql.Field("INVIO_DATAORA"));
        parcel.InvioOperatore = GetFieldInteger(sql.Field("INVIO_OPERATORE"));
        parcel.ImportoContrassegno = GetFieldDouble(sql.Field("IMPORTOCONTRASSEGNO"));
        ATo.push_back(std::move(parcel));
        sql.Fetch();
    }
    sql.Close();
    return found;
}

void TQorItaRigheAccess::Save(const TQorItaRigheList& AData)
{
    if (!FSQLUpdateOrInsert) {
        FSQLUpdateOrInsert = NewStatement(sql::RigheUpdateOrInsert);
    }
    fb::TFbStatement& sql = *FSQLUpdateOrInsert;
    for (const TQorItaRigheData& parcel : AData) {
        SetParamInteger(parcel.Testata, sql.Param("TESTATA"), false);
        SetParamInteger(parcel.NCollo, sql.Param("NCOLLO"), false);
        SetParamDouble(parcel.PesoReale, sql.Param("PESOREALE"), false);
        SetParamInteger(parcel.ContatoreProgressivo, sql.Param("CONTATOREPROGRESSIVO"), true);
        SetParamString(parcel.Etichetta, sql.Param("ETICHETTA"));
        SetParamDateTime(parcel.InvioDataOra, sql.Param("INVIO_DATAORA"));
        SetParamInteger(parcel.InvioOperatore, sql.Param("INVIO_OPERATORE"), true);
        SetParamDouble(parcel.ImportoContrassegno, sql.Param("IMPORTOCONTRASSEGNO"), true);
        sql.Execute();
    }
}

std::int32_t TQorItaRigheAccess::GenContatoreProgressivo() { return GenId(sql::GenRigheContatoreProg); }

std::int32_t TQorItaRigheAccess::GenContatoreProgressivoOltre(std::int32_t AUltimoUsato)
{
    const std::int32_t drawn = GenContatoreProgressivo();
    if (drawn > AUltimoUsato) return drawn;
    if (!FSQLAvanzaContatore) {
        FSQLAvanzaContatore = NewStatement(sql::RigheContatoreAvanza);
    }
    fb::TFbStatement& sql = *FSQLAvanzaContatore;
    sql.Param("PASSO").SetInt64(static_cast<std::int64_t>(AUltimoUsato) - drawn + 1);
    sql.Execute();
    const std::int32_t value = GetFieldInteger(sql.Field("CONTATORE"));
    sql.Close();
    return value;
}

}  // namespace qorita
