// Answers that an earlier run received but never recorded: the run was killed
// between the answer and its commit, the machine or the database went away,
// or the shipment could not be saved. The courier registered those parcels;
// sending them again would register and charge them twice. The journal kept
// the request's counters and the archived answer, and the next run on the
// shipment records that answer as the run that received it would have.
#include "app/ChiamataHandler.h"

#include "app/ScambiInSospeso.h"
#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "data/DataAccess.h"
#include "labelservice/AddParcel.Response.h"

#include <algorithm>

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
// file is gone or no longer an answer.
std::unique_ptr<addparcel_response::TAddParcelResponse> ReadAnswer(const TJournalEntry& AEntry)
{
    try {
        std::string text;
        if (!ReadWholeFile(PathFromUtf8(AEntry.FileXmlResponse), text)) return nullptr;
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
