#include "app/ChiamataHandler.h"

#include "app/CmdParams.h"
#include "app/Console.h"
#include "app/CredenzialiDatabase.h"
#include "app/Failpoint.h"
#include "app/ScambiInSospeso.h"
#include "common/Exception.h"
#include "data/DataAccess.h"
#include "data/KelTabX.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

#include <exception>
#include <optional>

namespace qorita {

TChiamataHandler::TChiamataHandler() = default;
TChiamataHandler::~TChiamataHandler() = default;

void TChiamataHandler::Esegui(const TCmdParams& AParams)
{
    const std::optional<TComando> comando = AParams.GetComando();
    if (!comando) {
        // Refused before any connection, so that no call row is touched.
        throw Exception(Format("Comando CMD \"%s\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, -Elimina o "
                               "-Verifica",
                               AParams.NomeComando().c_str()));
    }
    ConnectDatabase(comando->DatabaseName);
    GetTransaction().Start();

    std::exception_ptr escaping;
    try {
        LoadChiamata(comando->ChiamataId);
        SetEsito(0, "OK");
        try {
            LoadParametri();
            switch (comando->Tipo) {
            case TTipoComando::Crea:
                EseguiCrea();
                break;
            case TTipoComando::Conferma:
                EseguiConferma();
                break;
            case TTipoComando::CreaConferma:
                EseguiCreaConferma();
                break;
            case TTipoComando::Elimina:
                EseguiElimina();
                break;
            case TTipoComando::Verifica:
                // Run by the entry without a call row (Verifica.h).
                break;
            }
        } catch (const std::exception& error) {
            SetEsito(-1, error.what());
        }
    } catch (...) {
        escaping = std::current_exception();
    }
    if (FChiamataTrovata) SaveChiamata();
    QORITA_FAILPOINT("prima-del-commit");
    GetTransaction().Commit();
    QORITA_FAILPOINT("dopo-il-commit");
    // Only answers the database now holds leave the journal.
    if (FScambiInSospeso) FScambiInSospeso->DopoCommit();
    if (escaping) std::rethrow_exception(escaping);
}

TScambiInSospeso& TChiamataHandler::ScambiInSospeso()
{
    if (!FScambiInSospeso) {
        FScambiInSospeso = std::make_unique<TScambiInSospeso>(FParametri->RequestResponseDir(), FChiamata->Testata());
    }
    return *FScambiInSospeso;
}

bool TChiamataHandler::DisconnectDatabase() noexcept
{
    // Statements first, then the transactions they ran in, then the connection.
    FParametriAccess.reset();
    FLogAccess.reset();
    FRigheAccess.reset();
    FTestateAccess.reset();
    FChiamateAccess.reset();
    FKelTabX.reset();
    FTransaction.reset();
    if (!FDatabase) return true;
    try {
        FDatabase->Close();
        return true;
    } catch (...) {
        return false;
    }
}

void TChiamataHandler::SetEsito(std::int32_t ACodice, const std::string& AMessaggio)
{
    FChiamata->SetEsitoCodice(ACodice);
    FChiamata->SetEsitoMessaggio(AMessaggio);
}

void TChiamataHandler::ConnectDatabase(const std::string& ADatabaseName)
{
    if (!FDatabase) FDatabase = std::make_unique<fb::TFbConnection>();
    try {
        FDatabase->Open(ADatabaseName, CredenzialiDatabase());
    } catch (const std::exception& error) {
        throw Exception(ComposeMessage(Format("Impossibile stabilire la connessione al DB %s", ADatabaseName.c_str()),
                                       error.what()));
    }
    if (!FKelTabX) FKelTabX = std::make_unique<TKelTabX>(FDatabase.get());
}

fb::TFbTransaction& TChiamataHandler::GetTransaction()
{
    if (!FTransaction) {
        FTransaction = std::make_unique<fb::TFbTransaction>(*FDatabase, fb::TFbTransactionOptions{true, true, false});
    }
    return *FTransaction;
}

// Each access object is created on first use, at most once per run, on the
// run's connection and single transaction.
template <typename TAccess>
TAccess& TChiamataHandler::GetAccess(std::unique_ptr<TAccess>& AAccess)
{
    if (!AAccess) AAccess = std::make_unique<TAccess>(FDatabase.get(), &GetTransaction());
    return *AAccess;
}

TQorItaChiamateAccess& TChiamataHandler::GetChiamateAccess() { return GetAccess(FChiamateAccess); }
TQorItaTestateAccess& TChiamataHandler::GetTestateAccess() { return GetAccess(FTestateAccess); }
TQorItaRigheAccess& TChiamataHandler::GetRigheAccess() { return GetAccess(FRigheAccess); }
TQorItaLogAccess& TChiamataHandler::GetLogAccess() { return GetAccess(FLogAccess); }

TQorItaParametriAccess& TChiamataHandler::GetParametriAccess()
{
    if (!FParametriAccess) FParametriAccess = std::make_unique<TQorItaParametriAccess>(FKelTabX.get());
    return *FParametriAccess;
}

void TChiamataHandler::LoadParametri()
{
    FParametri = std::make_unique<TQorItaParametri>();
    GetParametriAccess().Load(*FParametri);
    FParametri->Validate();
}

void TChiamataHandler::LoadChiamata(std::int32_t AId)
{
    FChiamata = std::make_unique<TQorItaChiamateData>();
    FChiamataTrovata = GetChiamateAccess().Load(AId, *FChiamata);
    if (!FChiamataTrovata) throw Exception(Format("Record ID %d non trovato in QORITA_CHIAMATE", AId));
    if (FChiamata->Testata() == 0) {
        throw Exception(Format("Record ID %d in QORITA_CHIAMATE senza valore nel campo TESTATA", AId));
    }
}

void TChiamataHandler::SaveChiamata()
{
    try {
        GetChiamateAccess().Save(*FChiamata);
    } catch (const std::exception& error) {
        WriteLines("(Errore non bloccante) Fallito aggiornamento QORITA_CHIAMATE:");
        WriteLines(error.what());
    }
}

}  // namespace qorita
