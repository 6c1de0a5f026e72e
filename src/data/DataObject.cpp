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

std::string TipoEtichettaToStr(TTipoEtichetta AValue) { return AValue == TTipoEtichetta::tePdf ? "PDF" : "ZPL"; }

std::string StatusTestataToStr(TStatusTestata AValue)
{
    return AValue == TStatusTestata::sEliminata ? "ELIMINATA" : "VALIDA";
}

std::vector<std::string> TQorItaParametri::Problemi() const
{
    std::vector<std::string> problemi;
    if (FSedeQor.empty()) problemi.push_back("Sede QOR non specificata");
    if (FCodiceClienteQor == 0) problemi.push_back("Codice Cliente QOR non specificato");
    if (FPasswordClienteQor.empty()) problemi.push_back("Password Cliente QOR non specificata");
    if (FCodiceContrattoQor == 0) problemi.push_back("Codice Contratto QOR non specificato");
    std::error_code error;
    if (FRequestResponseDir.empty()) {
        problemi.push_back("Percorso XML scambi rest QOR non specificata");
    } else if (!std::filesystem::is_directory(FRequestResponseDir, error)) {
        // is_directory follows symbolic links, so a link to a folder counts as one.
        problemi.push_back(Format("Percorso XML scambi rest QOR %s non trovata", FRequestResponseDir.c_str()));
    }
    if (FTipoEtichetta.empty()) problemi.push_back("Tipo etichetta QOR non specificata");
    if (ServiceTimeoutSeconds() <= 0) {
        problemi.push_back(
            Format("Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: %s; "
                   "indicare i secondi, un intero maggiore di 0",
                   FServiceTimeout.c_str()));
    }
    return problemi;
}

void TQorItaParametri::Validate() const
{
    const std::vector<std::string> problemi = Problemi();
    if (!problemi.empty()) throw Exception(problemi.front());
}

std::int32_t TQorItaParametri::ServiceTimeoutSeconds() const
{
    if (FServiceTimeout.empty()) return DefaultServiceTimeout;
    return StrToIntDef(FServiceTimeout, 0);
}

}  // namespace qorita
