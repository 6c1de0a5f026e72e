#include "data/DataObject.h"

#include "common/Exception.h"
#include "common/Text.h"

#include <filesystem>
#include <system_error>

namespace qorita {

TTipoEtichetta StrToTipoEtichetta(const std::string& AText)
{
    return AText == "PDF" ? TTipoEtichetta::Pdf : TTipoEtichetta::Zpl;
}

std::string StatusTestataToStr(TStatusTestata AValue)
{
    return AValue == TStatusTestata::Eliminata ? "ELIMINATA" : "VALIDA";
}

std::vector<std::string> TQorItaParametri::Problemi() const
{
    std::vector<std::string> problemi;
    if (SedeQor.empty()) problemi.push_back("Sede QOR non specificata");
    if (CodiceClienteQor == 0) problemi.push_back("Codice Cliente QOR non specificato");
    if (PasswordClienteQor.empty()) problemi.push_back("Password Cliente QOR non specificata");
    if (CodiceContrattoQor == 0) problemi.push_back("Codice Contratto QOR non specificato");
    std::error_code error;
    if (RequestResponseDir.empty()) {
        problemi.push_back("Percorso XML scambi rest QOR non specificata");
    } else if (!std::filesystem::is_directory(RequestResponseDir, error)) {
        // is_directory follows symbolic links, so a link to a folder counts as one.
        problemi.push_back(Format("Percorso XML scambi rest QOR %s non trovata", RequestResponseDir.c_str()));
    }
    if (TipoEtichetta.empty()) problemi.push_back("Tipo etichetta QOR non specificata");
    if (ServiceTimeoutSeconds() <= 0) {
        problemi.push_back(
            Format("Tempo massimo di una richiesta a QOR (QORITA_ServiceTimeout) non valido: %s; "
                   "indicare i secondi, un intero maggiore di 0",
                   ServiceTimeout.c_str()));
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
    if (ServiceTimeout.empty()) return DefaultServiceTimeout;
    return StrToIntDef(ServiceTimeout, 0);
}

}  // namespace qorita
