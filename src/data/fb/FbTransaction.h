#pragma once

// A Firebird transaction with explicit options. The run uses snapshot
// ("concurrency") and "nowait", so a lock conflict fails at once instead of
// waiting. A transaction still active when its owner goes away is rolled back
// (the abnormal path); the destructor never throws.
//
// The transaction can be moved, never copied. Statements refer to the
// transaction object: move it before they are made.
#include "data/fb/FbOwners.h"

namespace Firebird {
class ITransaction;
}

namespace qorita::fb {

class TFbConnection;

// Snapshot ("concurrency") or read committed (record versions).
enum class TFbIsolation { Concurrency, ReadCommitted };
// What a lock conflict does: fail at once, or wait for the other transaction.
enum class TFbLockResolution { Nowait, Wait };
enum class TFbAccessMode { ReadWrite, ReadOnly };

// Named at the call: TFbTransactionOptions{.Access = TFbAccessMode::ReadOnly}.
struct TFbTransactionOptions {
    TFbIsolation Isolation = TFbIsolation::Concurrency;
    TFbLockResolution LockResolution = TFbLockResolution::Nowait;
    TFbAccessMode Access = TFbAccessMode::ReadWrite;
};

class TFbTransaction {
public:
    TFbTransaction(TFbConnection& AConnection, TFbTransactionOptions AOptions = {});
    ~TFbTransaction();
    TFbTransaction(TFbTransaction&& AOther) noexcept;
    // Rolls back this transaction if it is still active, then takes the other.
    TFbTransaction& operator=(TFbTransaction&& AOther) noexcept;

    // Starting an active transaction fails, as the database layer would.
    void Start();
    void Commit();
    void Rollback();
    bool IsActive() const { return FTransaction != nullptr; }

    TFbConnection& Connection() const { return *FConnection; }
    Firebird::ITransaction* Handle() const;

private:
    TFbConnection* FConnection;
    TFbTransactionOptions FOptions;
    TRef<Firebird::ITransaction> FTransaction;
};

}  // namespace qorita::fb
