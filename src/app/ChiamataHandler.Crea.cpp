// Crea: registers the unsent parcels of the shipment with the courier and stores
// the shipment number, counters and labels it returns.
#include "app/ChiamataHandler.h"
#include "app/ChiamataHandler.Sessione.h"
#include "app/ChiamataHandler.Step.h"
#include "app/ScambiInSospeso.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/AddParcel.Request.h"
#include "labelservice/AddParcel.Response.h"

#include <cmath>

namespace qorita {
namespace {

std::int32_t GeneraPdfCode(TTipoEtichetta ATipo) { return ATipo == TTipoEtichetta::Pdf ? 4 : 6; }

}  // namespace

void TChiamataHandler::EseguiCrea()
{
    TSpedizione spedizione = LoadSpedizione();
    const bool recuperata = RecuperaRisposte(spedizione);
    if (spedizione.IsInviata()) {
        // Registered by this run, from an answer an earlier run received: the
        // call that asked for it is done.
        if (!recuperata) SetEsito(1, "Spedizione già creata");
        return;
    }
    InviaSpedizione(spedizione);
}

std::unique_ptr<addparcel_request::TAddParcelRequest> TChiamataHandler::BuildAddParcelRequest(TSpedizione& ASpedizione)
{
    auto request = std::make_unique<addparcel_request::TAddParcelRequest>();
    const addparcel_request::IXMLInfoType& info = request->Info();
    WriteAccount(*info);
    const TQorItaTestateData& testata = ASpedizione.Testata();
    for (const TQorItaRigheData& parcel : ASpedizione.Righe()) {
        if (parcel.IsInviata()) continue;
        const addparcel_request::IXMLParcelType item = info->Parcel()->Add();
        item->CodiceContrattoQor.Set(FParametri.CodiceContrattoQor);
        item->RagioneSociale.Set(testata.RagioneSociale);
        item->Indirizzo.Set(testata.Indirizzo);
        item->Localita.Set(testata.Localita);
        item->Zipcode.Set(testata.ZipCode);
        item->Provincia.Set(testata.Provincia);
        item->Colli.Set(1);  // every item stands for one parcel
        item->PesoReale.Set(parcel.PesoReale);
        item->GeneraPdf.Set(GeneraPdfCode(testata.GetTipoEtichetta()));
        // One counter per item, drawn now: a parcel the courier refuses gets a
        // new one when it is sent again. One sent without answer keeps its own.
        item->ContatoreProgressivo.Set(ContatorePer(parcel));
        item->Email.Set(testata.EMail);
        item->Cellulare1.Set(testata.Cellulare1);
        item->ServiziAccessori.Set(testata.ServiziAccessori);
        if (std::fabs(parcel.ImportoContrassegno) > 1e-12) {
            item->ImportoContrassegno.Set(parcel.ImportoContrassegno);
            item->ModalitaIncasso.Set(testata.ModalitaIncasso);
        }
    }
    return request;
}

std::int32_t TChiamataHandler::ContatorePer(const TQorItaRigheData& AParcel)
{
    if (const auto ripreso = ScambiInSospeso().ContatoreRipreso(AParcel.NCollo)) return *ripreso;
    return FSessione->Righe.GenContatoreProgressivoOltre(ScambiInSospeso().UltimoContatoreInviato());
}

// The journal entry of a request: the parcels it carries, in item order, with
// the counters as they were written into it.
TJournalEntry TChiamataHandler::NewJournalEntry(const addparcel_request::TAddParcelRequest& ARequest,
                                                TSpedizione& ASpedizione, const TQorItaLogData& ALog)
{
    TJournalEntry entry;
    entry.Operazione = ALog.Operazione;
    entry.DataOra = ALog.DataOra;
    entry.Operatore = ALog.Operatore;
    int position = 0;
    for (const TQorItaRigheData& parcel : ASpedizione.Righe()) {
        if (parcel.IsInviata()) continue;
        entry.Colli.push_back({parcel.NCollo, ARequest.Info()->Parcel()->Parcel(position++)->ContatoreProgressivo()});
    }
    return entry;
}

void TChiamataHandler::InviaSpedizione(TSpedizione& ASpedizione)
{
    const std::unique_ptr<addparcel_request::TAddParcelRequest> request = BuildAddParcelRequest(ASpedizione);
    // Every parcel has a send time but the header no number: nothing to send.
    if (request->Info()->Parcel()->Count() == 0) return;
    // Nothing goes out while the journal may hold an answer it cannot show.
    ScambiInSospeso().ControllaPerInvio();

    TQorItaLogData log = NewLog(ASpedizione, "AddParcel");
    TJournalEntry journal = NewJournalEntry(*request, ASpedizione, log);
    RunStep(
        log,
        [&] {
            try {
                return ExchangeAddParcel(*request, log, &journal);
            } catch (...) {
                // A refusal registered nothing: the parcels get new counters.
                if (journal.HasAnswer()) ScambiInSospeso().Chiudi(journal);
                throw;
            }
        },
        [&](addparcel_response::TAddParcelResponse& AResponse) {
            ASpedizione.AssignAddParcelResponse(AResponse, log);
            SaveSpedizione(ASpedizione);
            ScambiInSospeso().Chiudi(journal);
            if (!AResponse.ParcelErrors().empty()) {
                // Some parcels refused: the accepted ones are saved, the
                // exchange itself succeeded, the call reports the refusals.
                const std::string errors = JoinLines(AResponse.ParcelErrors());
                log.EsitoMessaggio = errors;
                throw Exception(errors);
            }
        });
}

}  // namespace qorita
