// The shipment of the call: loading, its two state questions, taking over the
// courier's answers, and saving header and parcels.
#include "app/ChiamataHandler.h"

#include "app/ChiamataHandler.Sessione.h"
#include "common/Exception.h"
#include "data/Savepoint.h"
#include "data/fb/FbTransaction.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Response.h"

namespace qorita {

std::size_t TChiamataHandler::TSpedizione::CountInviate() const
{
    std::size_t count = 0;
    for (const TQorItaRigheData& parcel : FRighe) {
        if (parcel.IsInviata()) ++count;
    }
    return count;
}

bool TChiamataHandler::TSpedizione::IsInviata() const
{
    return CountInviate() == FRighe.size() && FTestata.NumeroSpedizione != 0;
}

// The request carried one item per unsent parcel, in list order, and the answer
// one item per request item in the same order.
void TChiamataHandler::TSpedizione::AssignAddParcelResponse(addparcel_response::TAddParcelResponse& AFrom,
                                                            const TQorItaLogData& ALog)
{
    std::vector<TQorItaRigheData*> inviati;
    for (TQorItaRigheData& parcel : FRighe) {
        if (!parcel.IsInviata()) inviati.push_back(&parcel);
    }
    AssignAddParcelResponse(AFrom, ALog, inviati);
}

// All parcels of one answer must share one shipment number. Every item is read
// before anything changes: an answer that cannot be taken over (an item
// without its counter, two shipment numbers) leaves the shipment in memory as
// it was, with no parcel marked sent.
void TChiamataHandler::TSpedizione::AssignAddParcelResponse(addparcel_response::TAddParcelResponse& AFrom,
                                                            const TQorItaLogData& ALog,
                                                            const std::vector<TQorItaRigheData*>& AColli)
{
    struct TRegistrato {
        TQorItaRigheData* Parcel;
        int Position;
        std::int32_t ContatoreProgressivo;
    };
    std::vector<TRegistrato> registrati;
    std::int32_t numero = 0;
    for (std::size_t position = 0; position < AColli.size(); ++position) {
        const addparcel_response::IXMLParcelType item = AFrom.InfoLabel()->Parcel(static_cast<int>(position));
        // A parcel the courier refused has no number; it stays unsent.
        if (item->HasError()) continue;
        if (numero == 0) {
            numero = item->NumeroSpedizione();
        } else if (item->NumeroSpedizione() != numero) {
            throw Exception("Numeri spedizione differenti assegnati da QOR ai colli");
        }
        if (AColli[position] == nullptr) continue;
        const std::int32_t contatore = item->ContatoreProgressivo();
        registrati.push_back({AColli[position], static_cast<int>(position), contatore});
    }
    // The labels move out of the answer (which is archived already).
    std::vector<std::string> etichette;
    for (const TRegistrato& registrato : registrati) {
        etichette.push_back(AFrom.InfoLabel()->Parcel(registrato.Position)->TakeEtichetta());
    }
    // Only now, with every item read, does the shipment change.
    for (std::size_t i = 0; i < registrati.size(); ++i) {
        TQorItaRigheData& parcel = *registrati[i].Parcel;
        parcel.ContatoreProgressivo = registrati[i].ContatoreProgressivo;
        parcel.Etichetta = std::move(etichette[i]);
        parcel.InvioDataOra = ALog.DataOra;
        parcel.InvioOperatore = ALog.Operatore;
    }
    FTestata.NumeroSpedizione = numero;
}

void TChiamataHandler::TSpedizione::AssignCWDBSNResponse(const cwdbsn_response::TCWDBSNResponse&,
                                                         const TQorItaLogData& ALog)
{
    FTestata.ConfermaDataOra = ALog.DataOra;
    FTestata.ConfermaOperatore = ALog.Operatore;
}

void TChiamataHandler::TSpedizione::AssignDeleteSpedResponse(const deletesped_response::TDeleteSpedResponse&,
                                                             const TQorItaLogData& ALog)
{
    FTestata.EliminazioneDataOra = ALog.DataOra;
    FTestata.EliminazioneOperatore = ALog.Operatore;
}

TChiamataHandler::TSpedizione TChiamataHandler::LoadSpedizione()
{
    TSpedizione spedizione;
    const std::int32_t testata = FChiamata.Testata;
    if (!FSessione->Testate.Load(testata, spedizione.Testata())) {
        throw Exception(Format("Record ID %d non trovato in QORITA_TESTATE", testata));
    }
    if (!FSessione->Righe.Load(testata, spedizione.Righe())) {
        throw Exception(Format("Nessun record trovato in QORITA_RIGHE con TESTATA=%d", testata));
    }
    return spedizione;
}

void TChiamataHandler::SaveTestata(TQorItaTestateData& AData)
{
    try {
        FSessione->Testate.Save(AData);
    } catch (const std::exception& error) {
        throw Exception(ComposeMessage("Fallito aggiornamento QORITA_TESTATE:", error.what()));
    }
}

// Header and parcels together or not at all: a parcel that cannot be written
// takes the header's new number back with it, so the shipment never shows a
// number whose labels are missing.
void TChiamataHandler::SaveSpedizione(TSpedizione& ASpedizione)
{
    TSavepoint savepoint(FDatabase, FSessione->Transaction, "QORITA_SPEDIZIONE");
    SaveTestata(ASpedizione.Testata());
    SaveRighe(ASpedizione.Righe());
    savepoint.Release();
}

void TChiamataHandler::SaveRighe(TQorItaRigheList& AData)
{
    try {
        FSessione->Righe.Save(AData);
    } catch (const std::exception& error) {
        throw Exception(ComposeMessage("Fallito aggiornamento QORITA_RIGHE:", error.what()));
    }
}

}  // namespace qorita
