#include "data/KelTabX.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "data/DataSql.h"

#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

namespace qorita {
namespace {

void BindUtente(fb::TFbParam& AParam, std::int32_t AUtente)
{
    if (AUtente == 0) {
        AParam.SetNull();
    } else {
        AParam.SetInt32(AUtente);
    }
}

}  // namespace

TKelTabX::TKelTabX(fb::TFbConnection* ADatabase) : FDatabase(ADatabase) {}

TKelTabX::~TKelTabX()
{
    if (FOnUpdating) {
        if (FUpdateFailed) {
            CancelUpdate();
        } else {
            try {
                EndUpdate();
            } catch (...) {
                // Nothing more can be done here: the transaction is rolled back
                // when it goes away.
            }
        }
    }
    // Statements go before the transaction they run in.
    FRead.reset();
    FWriteTesto.reset();
    FWriteMemo.reset();
}

bool TKelTabX::InTransaction() const { return FTransaction && FTransaction->IsActive(); }

fb::TFbTransaction& TKelTabX::OwnTransaction()
{
    if (!FTransaction) {
        FTransaction = std::make_unique<fb::TFbTransaction>(
            *FDatabase, fb::TFbTransactionOptions{.Isolation = fb::TFbIsolation::Concurrency,
                                                  .LockResolution = fb::TFbLockResolution::Nowait});
    }
    return *FTransaction;
}

void TKelTabX::BeginUpdate()
{
    OwnTransaction().Start();
    FOnUpdating = true;
    FUpdateFailed = false;
}

void TKelTabX::EndUpdate()
{
    if (FUpdateFailed) {
        CancelUpdate();
        throw Exception("Aggiornamento TABX annullato: una scrittura non è riuscita");
    }
    OwnTransaction().Commit();
    FOnUpdating = false;
}

void TKelTabX::CancelUpdate() noexcept
{
    if (FTransaction && FTransaction->IsActive()) {
        try {
            FTransaction->Rollback();
        } catch (...) {
            // The transaction object lets go of its handle whatever the
            // server said; the server ends it with the connection.
        }
    }
    FOnUpdating = false;
    FUpdateFailed = false;
}

TKelTabX::TUpdate::TUpdate(TKelTabX& ATabX) : FTabX(ATabX) { FTabX.BeginUpdate(); }

TKelTabX::TUpdate::~TUpdate()
{
    if (FOpen) FTabX.CancelUpdate();
}

void TKelTabX::TUpdate::Commit()
{
    FOpen = false;
    FTabX.EndUpdate();
}

std::string TKelTabX::Read(const std::string& ANome, std::int32_t AUtente, const char* AColumn)
{
    fb::TFbTransaction& transaction = OwnTransaction();
    if (!FOnUpdating) transaction.Start();
    std::string result;
    try {
        if (!FRead) {
            FRead = std::make_unique<fb::TFbStatement>(*FDatabase, transaction, sql::Text(sql::TabXSelect));
        }
        // An empty name is bound as an empty text, not as NULL.
        FRead->Param("NOME").SetText(ANome);
        BindUtente(FRead->Param("UTENTE"), AUtente);
        FRead->Execute();
        if (!FRead->Eof()) result = FRead->Field(AColumn).AsText();
        FRead->Close();
    } catch (...) {
        if (!FOnUpdating && transaction.IsActive()) transaction.Rollback();
        throw;
    }
    // A read changes nothing.
    if (!FOnUpdating) transaction.Rollback();
    return result;
}

std::string TKelTabX::GetParametroTesto(const std::string& ANome, std::int32_t AUtente)
{
    return Read(ANome, AUtente, "TESTO");
}

void TKelTabX::Write(std::unique_ptr<fb::TFbStatement>& AStatement, const char* AAssignment, const char* AColumn,
                     const std::string& ANome, const std::string& AValore, std::int32_t AUtente)
{
    fb::TFbTransaction& transaction = OwnTransaction();
    if (!FOnUpdating) transaction.Start();
    try {
        if (!AStatement) {
            AStatement = std::make_unique<fb::TFbStatement>(*FDatabase, transaction,
                                                            JoinLines({"MERGE INTO TABX A",
                                                                       "USING(",
                                                                       "  SELECT",
                                                                       "    CAST(:NOME AS VARCHAR(64)) AS NOME",
                                                                       "  FROM",
                                                                       "    RDB$DATABASE",
                                                                       ") B ON",
                                                                       "A.NOME=B.NOME",
                                                                       "AND",
                                                                       "A.UTENTE IS NOT DISTINCT FROM :UTENTE",
                                                                       "WHEN MATCHED THEN UPDATE SET",
                                                                       AAssignment,
                                                                       "WHEN NOT MATCHED THEN INSERT(",
                                                                       "CODICE,",
                                                                       "NOME,",
                                                                       AColumn,
                                                                       "UTENTE",
                                                                       ")",
                                                                       "VALUES(",
                                                                       "GEN_ID(CODICETABXCOUNTER,1),",
                                                                       ":NOME,",
                                                                       ":VALORE,",
                                                                       ":UTENTE",
                                                                       ")"}));
        }
        AStatement->Param("NOME").SetText(ANome);
        // Stored exactly as given: doubling apostrophes here would corrupt the
        // value, since a bound parameter is never parsed as SQL.
        AStatement->Param("VALORE").SetText(AValore);
        BindUtente(AStatement->Param("UTENTE"), AUtente);
        AStatement->Execute();
    } catch (...) {
        // A failed write is never committed: outside a bracket its own
        // transaction is rolled back, so none stays open; inside one the
        // bracket is marked, and closing it rolls it back.
        if (FOnUpdating) {
            FUpdateFailed = true;
        } else if (transaction.IsActive()) {
            transaction.Rollback();
        }
        throw;
    }
    if (!FOnUpdating) transaction.Commit();
}

void TKelTabX::SetParametroTesto(const std::string& ANome, const std::string& AValore, std::int32_t AUtente)
{
    Write(FWriteTesto, "A.TESTO=:VALORE", "TESTO,", ANome, AValore, AUtente);
}

void TKelTabX::SetParametroMemo(const std::string& ANome, const std::string& AValore, std::int32_t AUtente)
{
    Write(FWriteMemo, "A.MEMO=:VALORE", "MEMO,", ANome, AValore, AUtente);
}

}  // namespace qorita
