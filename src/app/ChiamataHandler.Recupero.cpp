// Answers that an earlier run received but never recorded: the run was killed
// between the answer and its commit, the machine or the database went away,
// or the shipment could not be saved. The courier registered those parcels;
// sending them again would register and charge them twice. The journal kept
// the request's counters and the archived answer, and the next run on the
// shipment records that answer as the run that received it would have.
#include "app/ChiamataHandler.h"

#include "app/ScambiInSospeso.h"
#include "common/Exception.h"
#include "common/ExclusiveFile.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "data/DataAccess.h"
#include "labelservice/AddParcel.Response.h"

#include <algorithm>
#include <filesystem>

namespace qorita {
namespace {

constexpr const char* kRispostaTardiva =
    "Risposta registrata in ritardo: la chiamata che l'aveva ricevuta non ha potuto salvarla";

// The parcels of the request in item order; null for one that is gone or was
// sent since, which takes its answer item and records nothing.
std::vector<TQorItaRigheData*> ColliDellaRichiesta(TChiamataHandler::TSpedizione& ASpedizione,
                                                   const TJournalEntry& AEntry)
{
    std::vector<TQorItaRigheData*> colli;
    for (const TJournalCollo& collo : AEntry.Colli) {
        TQorItaRigheData* found = nullptr;
        for (TQorItaRigheData& parcel : ASpedizione.Righe()) {
            if (parcel.NCollo == collo.NCollo && !parcel.IsInviata()) found = &parcel;
        }
        colli.push_back(found);
    }
    return colli;
}

// The archived answer as the run that received it read it; nothing when the
// file is gone (or a link stands at its name) or is no longer an answer.
std::unique_ptr<addparcel_response::TAddParcelResponse> ReadAnswer(const TJournalEntry& AEntry)
{
    try {
        std::string text;
        if (!ReadFileNoLink(PathFromUtf8(AEntry.FileXmlResponse), text)) return nullptr;
        return std::make_unique<addparcel_response::TAddParcelResponse>(text);
    } catch (const std::exception&) {
        return nullptr;
    }
}

// True when some parcel still waits for what the answer gave it.
bool RecordsSomething(addparcel_response::TAddParcelResponse& AResponse, const std::vector<TQorItaRigheData*>& AColli)
{
    for (std::size_t position = 0; position < AColli.size(); ++position) {
        if (AColli[position] && !AResponse.InfoLabel()->Parcel(static_cast<int>(position))->HasError()) return true;
    }
    return false;
}

enum class TConfronto { Uguale, Illeggibile, Diverso };

// Whether the answer is the one to the entry's request: one item per parcel
// of the request, and each registered item carrying the counter that parcel
// was sent with. Counters are unique across the archive folder (the mark), so
// an answer of another request, of another shipment or another database,
// never matches.
TConfronto ConfrontaContatori(addparcel_response::TAddParcelResponse& AResponse, const TJournalEntry& AEntry)
{
    const addparcel_response::IXMLInfoLabelType& items = AResponse.InfoLabel();
    if (!items || items->Count() != static_cast<int>(AEntry.Colli.size())) return TConfronto::Diverso;
    for (std::size_t position = 0; position < AEntry.Colli.size(); ++position) {
        const addparcel_response::IXMLParcelType item = items->Parcel(static_cast<int>(position));
        if (item->HasError()) continue;
        std::int32_t contatore = 0;
        try {
            contatore = item->ContatoreProgressivo();
        } catch (const std::exception&) {
            return TConfronto::Illeggibile;
        }
        if (contatore != AEntry.Colli[position].ContatoreProgressivo) return TConfronto::Diverso;
    }
    return TConfronto::Uguale;
}

}  // namespace

bool TChiamataHandler::RecuperaRisposte(TSpedizione& ASpedizione)
{
    bool recorded = false;
    TScambiInSospeso& scambi = ScambiInSospeso();
    for (const TJournalEntry& entry : scambi.Leggi()) {
        if (entry.Operazione != "AddParcel") continue;
        const std::vector<TQorItaRigheData*> colli = ColliDellaRichiesta(ASpedizione, entry);
        if (std::all_of(colli.begin(), colli.end(), [](const TQorItaRigheData* AParcel) { return !AParcel; })) {
            // Its parcels are all recorded (by the run that committed it, or
            // by a later one) or no longer exist.
            scambi.Chiudi(entry);
        } else if (!entry.HasAnswer()) {
            scambi.RiprendiContatori(entry);
        } else if (RegistraRispostaTardiva(ASpedizione, entry)) {
            recorded = true;
        }
    }
    return recorded;
}

// Records one answered entry; true when it recorded parcels.
bool TChiamataHandler::RegistraRispostaTardiva(TSpedizione& ASpedizione, const TJournalEntry& AEntry)
{
    TScambiInSospeso& scambi = ScambiInSospeso();
    // Only the archive file this program names for that exchange: an entry
    // that points anywhere else was not written by a run of ours.
    const std::string archived = XmlFileName(FParametri.RequestResponseDir, ASpedizione.Testata().Id, AEntry.DataOra,
                                             AEntry.Operazione, "Response");
    if (std::filesystem::path(AEntry.FileXmlResponse).lexically_normal() !=
        std::filesystem::path(archived).lexically_normal()) {
        scambi.Inutilizzabile(
            Format("Voce del giornale degli scambi con una risposta fuori dall'archivio dello "
                   "scambio (%s): %s",
                   AEntry.FileXmlResponse.c_str(), scambi.PercorsoDi(AEntry).c_str()));
        return false;
    }
    const std::unique_ptr<addparcel_response::TAddParcelResponse> response = ReadAnswer(AEntry);
    if (!response) {
        // The answer is lost after all: the request counts as unanswered, and
        // the courier knows its parcels again by their counters.
        scambi.RiprendiContatori(AEntry);
        return false;
    }
    if (AddParcelNegativeAnswer(*response, AEntry.Colli.size())) {
        scambi.Chiudi(AEntry);  // refused: nothing was registered
        return false;
    }
    switch (ConfrontaContatori(*response, AEntry)) {
    case TConfronto::Uguale: break;
    case TConfronto::Illeggibile:
        // An answer that cannot be taken over is treated as no answer: the
        // same counters go out again.
        scambi.RiprendiContatori(AEntry);
        return false;
    case TConfronto::Diverso:
        scambi.Inutilizzabile(
            Format("Voce del giornale degli scambi la cui risposta (%s) non porta i contatori "
                   "della richiesta: %s",
                   AEntry.FileXmlResponse.c_str(), scambi.PercorsoDi(AEntry).c_str()));
        return false;
    }
    const std::vector<TQorItaRigheData*> colli = ColliDellaRichiesta(ASpedizione, AEntry);
    // The exchange's own stamp and operator, so that the parcels' send stamps
    // equal the log row's as with any exchange.
    TQorItaLogData log{.Testata = ASpedizione.Testata().Id,
                       .DataOra = AEntry.DataOra,
                       .Operatore = AEntry.Operatore,
                       .Operazione = "AddParcel",
                       .FileXmlRequest = AEntry.FileXmlRequest,
                       .FileXmlResponse = AEntry.FileXmlResponse,
                       .EsitoCodice = 0,
                       .EsitoMessaggio = kRispostaTardiva};
    try {
        if (!RecordsSomething(*response, colli)) {
            scambi.Chiudi(AEntry);  // recorded before, or only refusals
            return false;
        }
        ASpedizione.AssignAddParcelResponse(*response, log, colli);
    } catch (const std::exception&) {
        // An answer that cannot be taken over (items missing, two shipment
        // numbers) is treated as no answer: the same counters go out again.
        scambi.RiprendiContatori(AEntry);
        return false;
    }
    // A save failure ends the operation here: nothing is sent for these
    // parcels and the entry stays for the next run.
    SaveSpedizione(ASpedizione);
    if (!response->ParcelErrors().empty()) {
        log.EsitoMessaggio = ComposeMessage(kRispostaTardiva, JoinLines(response->ParcelErrors()));
    }
    SaveLog(log);
    scambi.Chiudi(AEntry);
    return true;
}

}  // namespace qorita
