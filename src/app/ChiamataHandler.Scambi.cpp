// The exchanges with the courier: each archives its request and response as XML
// files, calls the service, judges the answer and is recorded in one log row.
#include "app/ChiamataHandler.h"

#include "app/ChiamataHandler.Sessione.h"
#include "app/Console.h"
#include "app/Failpoint.h"
#include "app/ScambiInSospeso.h"
#include "common/Exception.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "labelservice/AddParcel.Request.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/CWDBSN.Request.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Request.h"
#include "labelservice/DeleteSped.Response.h"
#include "labelservice/LabelService.h"

#include <chrono>
#include <cstdio>

namespace qorita {
namespace {

constexpr const char* kConnectionError = "Errore durante la connessione al server QOR";
constexpr const char* kNegativeAnswer = "Risposta negativa dal server QOR";

// The archive often sits in a shared folder: its copies show a fixed mask
// instead of the courier password, whatever the password's length. What is
// sent to the courier keeps the password.
constexpr xml::TTextMask kPasswordMask{"PasswordClienteQor", "********"};

// Archiving is best effort: a file that cannot be written leaves an empty name
// in the log row and the exchange goes on.
template <typename TMessage>
std::string Archive(const TMessage& AMessage, const std::string& AFileName)
{
    try {
        AMessage.SaveToFile(AFileName, kPasswordMask);
        return AFileName;
    } catch (const std::exception&) {
        return {};
    }
}

// Calls the service; every failure of the call becomes the connection error.
template <typename TCall>
auto CallService(TCall ACall)
{
    try {
        return ACall();
    } catch (const std::exception& error) {
        throw Exception(ComposeMessage(kConnectionError, error.what()));
    }
}

}  // namespace

std::optional<std::string> AddParcelNegativeAnswer(addparcel_response::TAddParcelResponse& AResponse, std::size_t ASent)
{
    if (!AResponse.DescrizioneErrore().empty()) return AResponse.DescrizioneErrore();
    if (ASent == AResponse.ParcelErrors().size()) return JoinLines(AResponse.ParcelErrors());
    // An error answer with an empty description carries no labels at all:
    // taking it over would record nothing while the call looked successful.
    if (!AResponse.InfoLabel()) return "Risposta senza etichette e senza descrizione dell'errore";
    return std::nullopt;
}

labelservice::TServiceSettings TChiamataHandler::Settings() const
{
    const std::chrono::seconds runTimeout(FParametri.RunTimeoutSeconds());
    return {FParametri.ServiceUrl, FParametri.ServiceCaFile, std::chrono::seconds(FParametri.ServiceTimeoutSeconds()),
            FInizio + runTimeout, runTimeout};
}

std::string TChiamataHandler::XmlFileName(const std::string& AFolder, std::int32_t ATestata, TDateTime ADataOra,
                                          const std::string& AOperazione, const std::string& AKind)
{
    std::string name = AFolder;
    if (name.empty() || name.back() != '/') name += '/';
    name += FormatPaddedId(ATestata);
    name += '_';
    name += FormatStamp(ADataOra);
    name += '_';
    name += AOperazione;
    name += AKind;
    name += ".xml";
    return name;
}

std::string TChiamataHandler::XmlFileName(const TQorItaLogData& ALog, const std::string& AKind) const
{
    return XmlFileName(FParametri.RequestResponseDir, ALog.Testata, ALog.DataOra, ALog.Operazione, AKind);
}

TQorItaLogData TChiamataHandler::NewLog(const TSpedizione& ASpedizione, const std::string& AOperazione) const
{
    TQorItaLogData log;
    log.Testata = ASpedizione.Testata().Id;
    log.DataOra = Now();
    log.Operatore = FChiamata.Operatore;
    log.Operazione = AOperazione;
    log.EsitoCodice = 0;
    log.EsitoMessaggio = "OK";
    return log;
}

void TChiamataHandler::SaveLog(TQorItaLogData& AData)
{
    try {
        FSessione->Log.Save(AData);
    } catch (const std::exception& error) {
        WriteLines("(Errore non bloccante) Fallita scrittura QORITA_LOG:");
        WriteLines(error.what());
    }
}

std::unique_ptr<addparcel_response::TAddParcelResponse> TChiamataHandler::ExchangeAddParcel(
    const addparcel_request::TAddParcelRequest& ARequest, TQorItaLogData& ALog, TJournalEntry* AJournal)
{
    ALog.FileXmlRequest = Archive(ARequest, XmlFileName(ALog, "Request"));
    ALog.FileXmlResponse = {};
    if (AJournal) {
        AJournal->FileXmlRequest = ALog.FileXmlRequest;
        ScambiInSospeso().Invio(*AJournal);
    }
    QORITA_FAILPOINT("prima-dell-invio");
    auto response = CallService([&] { return labelservice::AddParcel(ARequest, Settings()); });
    ALog.FileXmlResponse = Archive(*response, XmlFileName(ALog, "Response"));
    if (AJournal) ScambiInSospeso().Risposta(*AJournal, ALog.FileXmlResponse);
    QORITA_FAILPOINT("dopo-la-risposta");
    const auto sent = static_cast<std::size_t>(ARequest.Info()->Parcel()->Count());
    if (const auto negative = AddParcelNegativeAnswer(*response, sent)) {
        throw Exception(ComposeMessage(kNegativeAnswer, *negative));
    }
    return response;
}

std::unique_ptr<cwdbsn_response::TCWDBSNResponse> TChiamataHandler::ExchangeCWDBSN(
    const cwdbsn_request::TCWDBSNRequest& ARequest, TQorItaLogData& ALog)
{
    ALog.FileXmlRequest = Archive(ARequest, XmlFileName(ALog, "Request"));
    ALog.FileXmlResponse = {};
    auto response = CallService([&] { return labelservice::CloseWorkDayByShipmentNumber(ARequest, Settings()); });
    ALog.FileXmlResponse = Archive(*response, XmlFileName(ALog, "Response"));
    const std::string descrizione = response->CloseWorkDayByShipmentNumberResult()->DescrizioneErrore();
    if (!descrizione.empty() && UpperCase(descrizione) != "OK") {
        throw Exception(ComposeMessage(kNegativeAnswer, descrizione));
    }
    // Only more parcel errors than parcel items sent make the answer negative.
    // The one item of our request may come back with an outcome of its own:
    // the courier answers a confirmation it has already made with "GIA'
    // CONFERMATA", and that repeated confirmation must pass, since it is how a
    // run whose confirmation reached the courier but not the database recovers.
    const auto sent = static_cast<std::size_t>(ARequest.Info()->Parcel()->Count());
    if (sent < response->ParcelErrors().size()) {
        throw Exception(ComposeMessage(kNegativeAnswer, JoinLines(response->ParcelErrors())));
    }
    return response;
}

std::unique_ptr<deletesped_response::TDeleteSpedResponse> TChiamataHandler::ExchangeDeleteSped(
    const deletesped_request::TDeleteSpedRequest& ARequest, TQorItaLogData& ALog)
{
    ALog.FileXmlRequest = Archive(ARequest, XmlFileName(ALog, "Request"));
    ALog.FileXmlResponse = {};
    auto response = CallService([&] { return labelservice::DeleteSped(ARequest, Settings()); });
    ALog.FileXmlResponse = Archive(*response, XmlFileName(ALog, "Response"));
    // The courier answers in words: a deletion done, or a shipment it does not
    // know (already gone), both count as deleted.
    const std::string descrizione = response->DescrizioneErrore();
    const std::string upper = UpperCase(descrizione);
    const bool accepted = upper.empty() || upper.find("ELIMINAZIONE") != std::string::npos ||
                          upper.find("AVVENUTA") != std::string::npos ||
                          upper.find(std::to_string(ARequest.Info()->NumSpedizione())) != std::string::npos ||
                          upper.find("NON PRESENTE") != std::string::npos;
    if (!accepted) throw Exception(ComposeMessage(kNegativeAnswer, descrizione));
    return response;
}

}  // namespace qorita
