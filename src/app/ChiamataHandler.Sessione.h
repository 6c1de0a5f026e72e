#pragma once

// What a run does on its open database: one snapshot, nowait transaction, the
// parameter table with a transaction of its own, and one access object per
// table. The members are made in the order declared and let go of in reverse,
// so the statements go before the transactions they ran in.
#include "app/ChiamataHandler.h"
#include "data/DataAccess.h"
#include "data/KelTabX.h"
#include "data/fb/FbTransaction.h"

namespace qorita {

struct TChiamataHandler::TSessione {
    explicit TSessione(fb::TFbConnection& ADatabase)
        : Transaction(ADatabase, fb::TFbTransactionOptions{.Isolation = fb::TFbIsolation::Concurrency,
                                                           .LockResolution = fb::TFbLockResolution::Nowait}),
          KelTabX(&ADatabase),
          Chiamate(&ADatabase, &Transaction),
          Testate(&ADatabase, &Transaction),
          Righe(&ADatabase, &Transaction),
          Log(&ADatabase, &Transaction),
          Database(&ADatabase, &Transaction),
          Parametri(&KelTabX)
    {
    }

    fb::TFbTransaction Transaction;
    TKelTabX KelTabX;
    TQorItaChiamateAccess Chiamate;
    TQorItaTestateAccess Testate;
    TQorItaRigheAccess Righe;
    TQorItaLogAccess Log;
    TQorItaDatabaseAccess Database;
    TQorItaParametriAccess Parametri;
};

}  // namespace qorita
