#include "data/DataObject.h"

#include "common/Exception.h"
#include "common/Text.h"

#include <filesystem>
#include <system_error>

namespace qorita {

TTipoEtichetta StrToTipoEtichetta(const std::string& AText)
{
    return AText == "PDF" ? TTipoEtichetta::tePdf : TTipoEtichetta::teZpl;
}

std::string TipoEtichettaToStr(TTipoEtichetta AValue)
{
    return AValue == TTipoEtichetta::tePdf ? "PDF" : "ZPL";
}

std::string StatusTestataToStr(TStatusTestata AValue)
{
    return AValue == TStatusTestata::sEliminata ? "ELIMINATA" : "VALIDA";
}

void TQorItaParametri::Validate() const
{
    if (FSedeQor.empty()) throw Exception("Sede QOR non specificata");
    if (FCodiceClienteQor == 0) throw Exception("Codice Cliente QOR non specificato");
    if (FPasswordClienteQor.empty()) throw Exception("Password Cliente QOR non specificata");
    if (FCodiceContrattoQor == 0) throw Exception("Codice Contratto QOR non specificato");
    if (FRequestResponseDir.empty()) throw Exception("Percorso XML scambi rest QOR non specificata");
    std::error_code error;
    // is_directory follows symbolic links, so a link to a folder counts as one.
    if (!std::filesystem::is_directory(FRequestResponseDir, error)) {
        throw Exception(Format("Percorso XML scambi rest QOR %s non trovata", FRequestResponseDir.c_str()));
    }
    if (FTipoEtichetta.empty()) throw Exception("Tipo etichetta QOR non specificata");
    if (ServiceTimeoutSeconds() <= 0) {
        throw Exception(Format("Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: %s; "
                               "indicare i secondi, un intero maggiore di 0",
                               FServiceTimeout.c_str()));
    }
}

std::int32_t TQorItaParametri::ServiceTimeoutSeconds() const
{
    if (FServiceTimeout.empty()) return DefaultServiceTimeout;
    return StrToIntDef(FServiceTimeout, 0);
}

}  // namespace qorita
