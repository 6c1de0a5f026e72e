#pragma once

// A savepoint in the run's transaction: what the statements after it write is
// kept by Release and undone when the savepoint goes away unreleased, so a
// group of writes succeeds or fails as a whole without ending the transaction.
#include "data/fb/FbForward.h"

#include <memory>
#include <string>

namespace qorita {

class TSavepoint {
public:
    // AName must be a plain SQL identifier; it is written into the statements.
    TSavepoint(fb::TFbConnection& AConnection, fb::TFbTransaction& ATransaction, std::string AName);
    // Rolls back to the savepoint when it was not released; never throws.
    ~TSavepoint();
    TSavepoint(const TSavepoint&) = delete;
    TSavepoint& operator=(const TSavepoint&) = delete;

    // Keeps what was written since the savepoint.
    void Release();

private:
    void Run(const std::string& ASql);

    fb::TFbConnection& FConnection;
    fb::TFbTransaction& FTransaction;
    std::string FName;
    bool FOpen = false;
};

}  // namespace qorita
