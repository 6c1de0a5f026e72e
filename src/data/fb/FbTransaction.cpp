#include "data/fb/FbTransaction.h"

#include "common/Exception.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatus.h"

namespace qorita::fb {
namespace {

constexpr const char* NotActive = "Transaction is not active";

// The options as the transaction parameter block the server reads.
TDisposable<Firebird::IXpbBuilder> BuildTpb(TStatusWrapper& AStatus, const TFbTransactionOptions& AOptions)
{
    Firebird::IUtil* util = Master()->getUtilInterface();
    TDisposable<Firebird::IXpbBuilder> tpb(util->getXpbBuilder(&AStatus, Firebird::IXpbBuilder::TPB, nullptr, 0));
    const bool concurrency = AOptions.Isolation == TFbIsolation::Concurrency;
    tpb->insertTag(&AStatus, concurrency ? isc_tpb_concurrency : isc_tpb_read_committed);
    if (!concurrency) tpb->insertTag(&AStatus, isc_tpb_rec_version);
    tpb->insertTag(&AStatus, AOptions.LockResolution == TFbLockResolution::Nowait ? isc_tpb_nowait : isc_tpb_wait);
    tpb->insertTag(&AStatus, AOptions.Access == TFbAccessMode::ReadOnly ? isc_tpb_read : isc_tpb_write);
    return tpb;
}

}  // namespace

TFbTransaction::TFbTransaction(TFbConnection& AConnection, TFbTransactionOptions AOptions)
    : FConnection(&AConnection), FOptions(AOptions)
{
}

TFbTransaction::~TFbTransaction()
{
    if (!FTransaction) return;
    try {
        Rollback();
    } catch (...) {
        // Rollback lets go of the transaction even when it fails.
    }
}

TFbTransaction::TFbTransaction(TFbTransaction&& AOther) noexcept = default;

TFbTransaction& TFbTransaction::operator=(TFbTransaction&& AOther) noexcept
{
    if (this != &AOther) {
        // A transaction still active here is rolled back as the destructor does.
        const TFbTransaction ending(std::move(*this));
        FConnection = AOther.FConnection;
        FOptions = AOther.FOptions;
        FTransaction = std::move(AOther.FTransaction);
    }
    return *this;
}

Firebird::ITransaction* TFbTransaction::Handle() const
{
    if (!FTransaction) throw Exception(NotActive);
    return FTransaction.get();
}

void TFbTransaction::Start()
{
    if (FTransaction) throw Exception("Transaction is already active");
    FTransaction = Guarded([&](TStatusWrapper& AStatus) {
        const auto tpb = BuildTpb(AStatus, FOptions);
        Firebird::IAttachment* attachment = FConnection->Handle();
        return TRef<Firebird::ITransaction>(
            attachment->startTransaction(&AStatus, tpb->getBufferLength(&AStatus), tpb->getBuffer(&AStatus)));
    });
}

void TFbTransaction::Commit()
{
    Firebird::ITransaction* transaction = Handle();
    // A successful commit releases the interface; a failed one leaves the
    // transaction active so that its owner can still roll it back.
    Guarded([&](TStatusWrapper& AStatus) {
        transaction->commit(&AStatus);
        Forget(FTransaction);
    });
}

void TFbTransaction::Rollback()
{
    // Whatever the outcome, the transaction is over for its owner: a failed
    // rollback lets go of the interface and reports the error.
    TRef<Firebird::ITransaction> transaction = std::move(FTransaction);
    if (!transaction) throw Exception(NotActive);
    Guarded([&](TStatusWrapper& AStatus) {
        transaction->rollback(&AStatus);
        Forget(transaction);
    });
}

}  // namespace qorita::fb
