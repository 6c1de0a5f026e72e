#pragma once

// Runs one call from start to end: connection, the run's single transaction,
// the call row, the courier parameters, one operation, the outcome written back
// and one commit. Nothing is ever rolled back: log and shipment rows written
// before a failure are committed together with the outcome.
#include "common/DateTime.h"
#include "data/DataObject.h"
#include "data/fb/FbConnection.h"
#include "labelservice/ServiceSettings.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qorita {

namespace addparcel_request {
class TAddParcelRequest;
}
namespace addparcel_response {
class TAddParcelResponse;
}
namespace cwdbsn_request {
class TCWDBSNRequest;
}
namespace cwdbsn_response {
class TCWDBSNResponse;
}
namespace deletesped_request {
class TDeleteSpedRequest;
}
namespace deletesped_response {
class TDeleteSpedResponse;
}

class TCmdParams;
class TScambiInSospeso;
struct TJournalEntry;

// The judgement of an AddParcel answer to a request of ASent parcels: the
// text of a negative answer, or nothing when it is accepted (also when some
// parcels were refused).
std::optional<std::string> AddParcelNegativeAnswer(addparcel_response::TAddParcelResponse& AResponse,
                                                   std::size_t ASent);

class TChiamataHandler {
public:
    // One shipment in memory for the length of one operation: its header and
    // its parcels, in the order the database returned them.
    class TSpedizione {
    public:
        TQorItaTestateData& Testata() { return FTestata; }
        const TQorItaTestateData& Testata() const { return FTestata; }
        TQorItaRigheList& Righe() { return FRighe; }

        // Every parcel sent and the header numbered.
        bool IsInviata() const;
        bool IsConfermata() const { return FTestata.IsConfermata(); }

        void AssignAddParcelResponse(addparcel_response::TAddParcelResponse& AFrom, const TQorItaLogData& ALog);
        // The same for a request whose items were AColli, in order; a null
        // entry takes its answer item but records nothing.
        void AssignAddParcelResponse(addparcel_response::TAddParcelResponse& AFrom, const TQorItaLogData& ALog,
                                     const std::vector<TQorItaRigheData*>& AColli);
        void AssignCWDBSNResponse(const cwdbsn_response::TCWDBSNResponse& AFrom, const TQorItaLogData& ALog);
        void AssignDeleteSpedResponse(const deletesped_response::TDeleteSpedResponse& AFrom,
                                      const TQorItaLogData& ALog);

    private:
        std::size_t CountInviate() const;

        TQorItaTestateData FTestata;
        TQorItaRigheList FRighe;
    };

    TChiamataHandler();
    ~TChiamataHandler();
    TChiamataHandler(const TChiamataHandler&) = delete;
    TChiamataHandler& operator=(const TChiamataHandler&) = delete;

    // Errors that cannot be recorded in the call row escape to the caller.
    void Esegui(const TCmdParams& AParams);
    // After Esegui: lets go of the run's statements and transactions and
    // detaches the database. False when the detach failed (the attachment is
    // let go of all the same); never throws.
    bool DisconnectDatabase() noexcept;

    // The archive file of one exchange: folder (with a delimiter), header ID as
    // "00000000", the log record's stamp as "%Y%m%d%H%M%S", operation + kind.
    static std::string XmlFileName(const std::string& AFolder, std::int32_t ATestata, TDateTime ADataOra,
                                   const std::string& AOperazione, const std::string& AKind);

private:
    // The run's single transaction and everything that works on the open
    // database (ChiamataHandler.Sessione.h).
    struct TSessione;

    void ConnectDatabase(const std::string& ADatabaseName);
    void LoadParametri();
    void LoadChiamata(std::int32_t AId);
    void SaveChiamata();

    TSpedizione LoadSpedizione();
    void SaveTestata(TQorItaTestateData& AData);
    void SaveRighe(TQorItaRigheList& AData);
    // Header and parcels in one savepoint: all written, or none.
    void SaveSpedizione(TSpedizione& ASpedizione);
    void SaveLog(TQorItaLogData& AData);

    TQorItaLogData NewLog(const TSpedizione& ASpedizione, const std::string& AOperazione) const;
    std::string XmlFileName(const TQorItaLogData& ALog, const std::string& AKind) const;
    // AJournal, when given, is written before the request goes out and again
    // once the answer is archived (ScambiInSospeso.h).
    std::unique_ptr<addparcel_response::TAddParcelResponse> ExchangeAddParcel(
        const addparcel_request::TAddParcelRequest& ARequest, TQorItaLogData& ALog, TJournalEntry* AJournal = nullptr);
    std::unique_ptr<cwdbsn_response::TCWDBSNResponse> ExchangeCWDBSN(const cwdbsn_request::TCWDBSNRequest& ARequest,
                                                                     TQorItaLogData& ALog);
    std::unique_ptr<deletesped_response::TDeleteSpedResponse> ExchangeDeleteSped(
        const deletesped_request::TDeleteSpedRequest& ARequest, TQorItaLogData& ALog);

    void EseguiCrea();
    void EseguiConferma();
    void EseguiCreaConferma();
    void EseguiElimina();
    void InviaSpedizione(TSpedizione& ASpedizione);
    void ConfermaSpedizione(TSpedizione& ASpedizione);
    void EliminaSpedizione(TSpedizione& ASpedizione);
    std::unique_ptr<addparcel_request::TAddParcelRequest> BuildAddParcelRequest(TSpedizione& ASpedizione);
    std::unique_ptr<cwdbsn_request::TCWDBSNRequest> BuildCWDBSNRequest(TSpedizione& ASpedizione);
    // The courier account read from TABX, into the first elements of a request.
    template <typename TRequestRoot>
    void WriteAccount(TRequestRoot& ARoot) const
    {
        ARoot.SedeQor.Set(FParametri.SedeQor);
        ARoot.CodiceClienteQor.Set(FParametri.CodiceClienteQor);
        ARoot.PasswordClienteQor.Set(FParametri.PasswordClienteQor);
    }
    std::unique_ptr<deletesped_request::TDeleteSpedRequest> BuildDeleteSpedRequest(TSpedizione& ASpedizione);

    void SetEsito(std::int32_t ACodice, const std::string& AMessaggio);
    // The courier's service as TABX sets it, bounded by what is left of the run.
    labelservice::TServiceSettings Settings() const;

    // The journal of the call's shipment, opened on first use.
    TScambiInSospeso& ScambiInSospeso();
    // The counter a parcel goes out with: the one of an earlier request left
    // without answer, or a new draw above every counter ever sent.
    std::int32_t ContatorePer(const TQorItaRigheData& AParcel);
    // First step of every operation on a loaded shipment: records the
    // accepted AddParcel answers that earlier runs received but could not
    // save, and learns the counters of requests left without answer. True
    // when it recorded an answer (ChiamataHandler.Recupero.cpp).
    bool RecuperaRisposte(TSpedizione& ASpedizione);
    TJournalEntry NewJournalEntry(const addparcel_request::TAddParcelRequest& ARequest, TSpedizione& ASpedizione,
                                  const TQorItaLogData& ALog);
    bool RegistraRispostaTardiva(TSpedizione& ASpedizione, const TJournalEntry& AEntry);

    // The frame of every step: an exchange error marks the log record -1 with
    // its message and is passed on; once the record is open it is written at
    // the end of the step however the step ends. Defined in
    // ChiamataHandler.Step.h.
    template <typename TExchange, typename TTakeOver>
    void RunStep(TQorItaLogData& ALog, TExchange&& AExchange, TTakeOver&& ATakeOver);

    // The connection outlives what works on it: DisconnectDatabase lets go of
    // the session (its statements, then its transactions) before it detaches.
    fb::TFbConnection FDatabase;
    // Made in one go once the database is open, so a failed connection leaves
    // nothing to let go of.
    std::unique_ptr<TSessione> FSessione;
    TQorItaParametri FParametri;
    // When the run began: QORITA_RunTimeout counts from here.
    std::chrono::steady_clock::time_point FInizio = std::chrono::steady_clock::now();
    TQorItaChiamateData FChiamata;
    bool FChiamataTrovata = false;
    // Made on first use: it needs the parameters and the call row, and only a
    // run that used it cleans the journal after the commit.
    std::unique_ptr<TScambiInSospeso> FScambiInSospeso;
};

}  // namespace qorita
