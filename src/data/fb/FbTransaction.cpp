#include "data/fb/FbTransaction.h"

#include "common/Exception.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbOwners.h"
#include "data/fb/FbStatus.h"

namespace qorita::fb {

TFbTransaction::TFbTransaction(TFbConnection& AConnection, TFbTransactionOptions AOptions)
    : FConnection(AConnection), FOptions(AOptions)
{
}

TFbTransaction::~TFbTransaction()
{
    if (!FTransaction) return;
    TFbStatus status;
    FTransaction->rollback(status.Get());
    if (status.Failed()) FTransaction->release();
    FTransaction = nullptr;
}

Firebird::ITransaction* TFbTransaction::Handle() const
{
    if (!FTransaction) throw Exception("Transaction is not active");
    return FTransaction;
}

void TFbTransaction::Start()
{
    if (FTransaction) throw Exception("Transaction is already active");
    TFbStatus status;
    Firebird::IUtil* util = Master()->getUtilInterface();
    TDisposable<Firebird::IXpbBuilder> tpb(util->getXpbBuilder(status.Get(), Firebird::IXpbBuilder::TPB, nullptr, 0));
    status.Check();
    tpb->insertTag(status.Get(), FOptions.Concurrency ? isc_tpb_concurrency : isc_tpb_read_committed);
    if (!FOptions.Concurrency) tpb->insertTag(status.Get(), isc_tpb_rec_version);
    tpb->insertTag(status.Get(), FOptions.Nowait ? isc_tpb_nowait : isc_tpb_wait);
    tpb->insertTag(status.Get(), FOptions.ReadOnly ? isc_tpb_read : isc_tpb_write);
    status.Check();
    Firebird::IAttachment* attachment = FConnection.Handle();
    Firebird::ITransaction* transaction = attachment->startTransaction(
        status.Get(), tpb->getBufferLength(status.Get()), tpb->getBuffer(status.Get()));
    status.Check();
    FTransaction = transaction;
}

void TFbTransaction::Commit()
{
    TFbStatus status;
    Handle()->commit(status.Get());
    // A successful commit releases the interface; a failed one leaves the
    // transaction active so that its owner can still roll it back.
    if (!status.Failed()) FTransaction = nullptr;
    status.Check();
}

void TFbTransaction::Rollback()
{
    TFbStatus status;
    Handle()->rollback(status.Get());
    if (!status.Failed()) {
        FTransaction = nullptr;
    } else {
        FTransaction->release();
        FTransaction = nullptr;
    }
    status.Check();
}

}  // namespace qorita::fb
