// Conferma, CreaConferma and Elimina: confirming a registered shipment at the
// courier (CloseWorkDayByShipmentNumber) and deleting it (DeleteSped).
#include "app/ChiamataHandler.h"
#include "app/ChiamataHandler.Step.h"

#include "data/DataAccess.h"
#include "labelservice/CWDBSN.Request.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Request.h"
#include "labelservice/DeleteSped.Response.h"

namespace qorita {

void TChiamataHandler::EseguiConferma()
{
    TSpedizione spedizione = LoadSpedizione();
    RecuperaRisposte(spedizione);
    if (spedizione.IsConfermata()) {
        SetEsito(1, "Spedizione già confermata");
        return;
    }
    // Not sent yet: the courier's answer to number 0 decides.
    ConfermaSpedizione(spedizione);
}

void TChiamataHandler::EseguiCreaConferma()
{
    TSpedizione spedizione = LoadSpedizione();
    RecuperaRisposte(spedizione);
    if (spedizione.IsInviata() && spedizione.IsConfermata()) {
        SetEsito(1, "Spedizione già confermata");
        return;
    }
    // No confirmation when the creation failed or some parcels were refused.
    if (!spedizione.IsInviata()) InviaSpedizione(spedizione);
    // The same shipment in memory, so the number just received is confirmed.
    ConfermaSpedizione(spedizione);
}

void TChiamataHandler::EseguiElimina()
{
    TSpedizione spedizione = LoadSpedizione();
    RecuperaRisposte(spedizione);
    if (!spedizione.IsInviata()) {
        SetEsito(1, "Spedizione non ancora inviata");
        return;
    }
    EliminaSpedizione(spedizione);
}

std::unique_ptr<cwdbsn_request::TCWDBSNRequest> TChiamataHandler::BuildCWDBSNRequest(TSpedizione& ASpedizione)
{
    auto request = std::make_unique<cwdbsn_request::TCWDBSNRequest>();
    const cwdbsn_request::IXMLInfoType& info = request->Info();
    WriteAccount(*info);
    info->Parcel()->Add()->NumeroDiSpedizioneQORDaConfermare.Set(ASpedizione.Testata().NumeroSpedizione);
    return request;
}

std::unique_ptr<deletesped_request::TDeleteSpedRequest> TChiamataHandler::BuildDeleteSpedRequest(
    TSpedizione& ASpedizione)
{
    auto request = std::make_unique<deletesped_request::TDeleteSpedRequest>();
    const deletesped_request::IXMLDeleteSpedType& info = request->Info();
    WriteAccount(*info);
    info->NumSpedizione.Set(ASpedizione.Testata().NumeroSpedizione);
    return request;
}

void TChiamataHandler::ConfermaSpedizione(TSpedizione& ASpedizione)
{
    const std::unique_ptr<cwdbsn_request::TCWDBSNRequest> request = BuildCWDBSNRequest(ASpedizione);
    TQorItaLogData log = NewLog(ASpedizione, "CWDBSN");
    RunStep(
        log, [&] { return ExchangeCWDBSN(*request, log); },
        [&](cwdbsn_response::TCWDBSNResponse& AResponse) {
            ASpedizione.AssignCWDBSNResponse(AResponse, log);
            // The parcels are not written.
            SaveTestata(ASpedizione.Testata());
        });
}

void TChiamataHandler::EliminaSpedizione(TSpedizione& ASpedizione)
{
    const std::unique_ptr<deletesped_request::TDeleteSpedRequest> request = BuildDeleteSpedRequest(ASpedizione);
    TQorItaLogData log = NewLog(ASpedizione, "DeleteSped");
    RunStep(
        log, [&] { return ExchangeDeleteSped(*request, log); },
        [&](deletesped_response::TDeleteSpedResponse& AResponse) {
            ASpedizione.AssignDeleteSpedResponse(AResponse, log);
            ASpedizione.Testata().SetStatusTestata(TStatusTestata::Eliminata);
            // The parcels keep their send data and are not written.
            SaveTestata(ASpedizione.Testata());
        });
}

}  // namespace qorita
