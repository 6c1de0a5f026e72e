#include "app/ChiamataHandler.h"

#include "app/ChiamataHandler.Sessione.h"
#include "app/CmdParams.h"
#include "app/Console.h"
#include "app/CredenzialiDatabase.h"
#include "app/Failpoint.h"
#include "app/ScambiInSospeso.h"
#include "common/Exception.h"

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
        throw Exception(
            Format("Comando CMD \"%s\" non riconosciuto: usare -Crea, -Conferma, -CreaConferma, -Elimina o "
                   "-Verifica",
                   AParams.NomeComando().c_str()));
    }
    ConnectDatabase(comando->DatabaseName);
    FSessione->Transaction.Start();

    std::exception_ptr escaping;
    try {
        LoadChiamata(comando->ChiamataId);
        SetEsito(0, "OK");
        try {
            LoadParametri();
            switch (comando->Tipo) {
            case TTipoComando::Crea: EseguiCrea(); break;
            case TTipoComando::Conferma: EseguiConferma(); break;
            case TTipoComando::CreaConferma: EseguiCreaConferma(); break;
            case TTipoComando::Elimina: EseguiElimina(); break;
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
    FSessione->Transaction.Commit();
    QORITA_FAILPOINT("dopo-il-commit");
    // Only answers the database now holds leave the journal.
    if (FScambiInSospeso) FScambiInSospeso->DopoCommit();
    if (escaping) std::rethrow_exception(escaping);
}

TScambiInSospeso& TChiamataHandler::ScambiInSospeso()
{
    if (!FScambiInSospeso) {
        FScambiInSospeso = std::make_unique<TScambiInSospeso>(FParametri.RequestResponseDir, FChiamata.Testata,
                                                              [this] { return FSessione->Database.Identita(); });
    }
    return *FScambiInSospeso;
}

bool TChiamataHandler::DisconnectDatabase() noexcept
{
    // Statements first, then the transactions they ran in, then the connection.
    FSessione.reset();
    try {
        FDatabase.Close();
        return true;
    } catch (...) {
        return false;
    }
}

void TChiamataHandler::SetEsito(std::int32_t ACodice, const std::string& AMessaggio)
{
    FChiamata.EsitoCodice = ACodice;
    FChiamata.EsitoMessaggio = AMessaggio;
}

void TChiamataHandler::ConnectDatabase(const std::string& ADatabaseName)
{
    try {
        FDatabase.Open(ADatabaseName, CredenzialiDatabase());
    } catch (const std::exception& error) {
        throw Exception(ComposeMessage(Format("Impossibile stabilire la connessione al DB %s", ADatabaseName.c_str()),
                                       error.what()));
    }
    FSessione = std::make_unique<TSessione>(FDatabase);
}

void TChiamataHandler::LoadParametri()
{
    FSessione->Parametri.Load(FParametri);
    FParametri.Validate();
}

void TChiamataHandler::LoadChiamata(std::int32_t AId)
{
    FChiamataTrovata = FSessione->Chiamate.Load(AId, FChiamata);
    if (!FChiamataTrovata) throw Exception(Format("Record ID %d non trovato in QORITA_CHIAMATE", AId));
    if (FChiamata.Testata == 0) {
        // Refused: the row stays exactly as the application wrote it. Written
        // back, a code it left NULL would come back as 0, a success.
        FChiamataTrovata = false;
        throw Exception(Format("Record ID %d in QORITA_CHIAMATE senza valore nel campo TESTATA", AId));
    }
}

void TChiamataHandler::SaveChiamata()
{
    try {
        FSessione->Chiamate.Save(FChiamata);
    } catch (const std::exception& error) {
        WriteLines("(Errore non bloccante) Fallito aggiornamento QORITA_CHIAMATE:");
        WriteLines(error.what());
    }
}

}  // namespace qorita
