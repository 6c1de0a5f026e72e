#include "data/DataObject.h"

#include "common/Exception.h"
#include "data/ParametriTabX.h"

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
    for (const TParametroTabX& parametro : ParametriTabX()) {
        std::string messaggio = MessaggioParametro(parametro, TestoCampo(parametro, *this));
        if (!messaggio.empty()) problemi.push_back(std::move(messaggio));
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
    return SecondiParametro(*ParametroTabX("QORITA_ServiceTimeout"), ServiceTimeout);
}

std::int32_t TQorItaParametri::RunTimeoutSeconds() const
{
    return SecondiParametro(*ParametroTabX("QORITA_RunTimeout"), RunTimeout);
}

}  // namespace qorita
