#include "data/DataAccess.h"

#include "common/Exception.h"

namespace qorita {

std::string TQorItaDatabaseAccess::Identita()
{
    if (!FIdentita) FIdentita = NewStatement(sql::DatabaseIdentitySelect);
    fb::TFbStatement& sql = *FIdentita;
    sql.Execute();
    std::string identita;
    if (!sql.Eof()) identita = GetFieldString(sql.Field("CREAZIONE")) + " " + GetFieldString(sql.Field("NOME"));
    sql.Close();
    if (identita.empty()) throw Exception("MON$DATABASE vuota");
    return identita;
}

}  // namespace qorita
