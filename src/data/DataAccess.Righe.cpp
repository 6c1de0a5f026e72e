#include "data/DataAccess.h"

namespace qorita {

bool TQorItaRigheAccess::Load(std::int32_t ATestata, TQorItaRigheList& ATo)
{
    if (!FSelect) FSelect = NewStatement(sql::RigheSelect);
    fb::TFbStatement& sql = *FSelect;
    SetParamInteger(ATestata, sql.Param("TESTATA"), false);
    sql.Execute();
    const bool found = !sql.Eof();
    while (!sql.Eof()) {
        TQorItaRigheData parcel;
        ReadColumns(sql, RigheColumns, parcel);
        ATo.push_back(std::move(parcel));
        sql.Fetch();
    }
    sql.Close();
    return found;
}

void TQorItaRigheAccess::Save(const TQorItaRigheList& AData)
{
    if (!FUpdateOrInsert) FUpdateOrInsert = NewStatement(sql::RigheUpdateOrInsert());
    fb::TFbStatement& sql = *FUpdateOrInsert;
    for (const TQorItaRigheData& parcel : AData) {
        BindColumns(parcel, RigheColumns, sql);
        sql.Execute();
    }
}

std::int32_t TQorItaRigheAccess::GenContatoreProgressivo() { return GenId(sql::GenRigheContatoreProg); }

std::int32_t TQorItaRigheAccess::GenContatoreProgressivoOltre(std::int32_t AUltimoUsato)
{
    const std::int32_t drawn = GenContatoreProgressivo();
    if (drawn > AUltimoUsato) return drawn;
    if (!FAvanzaContatore) {
        FAvanzaContatore = NewStatement(sql::RigheContatoreAvanza);
    }
    fb::TFbStatement& sql = *FAvanzaContatore;
    sql.Param("PASSO").SetInt64(static_cast<std::int64_t>(AUltimoUsato) - drawn + 1);
    sql.Execute();
    const std::int32_t value = GetFieldInteger(sql.Field("CONTATORE"));
    sql.Close();
    return value;
}

}  // namespace qorita
