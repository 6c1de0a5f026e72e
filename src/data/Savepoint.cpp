#include "data/Savepoint.h"

#include "data/fb/FbStatement.h"

namespace qorita {

TSavepoint::TSavepoint(fb::TFbConnection& AConnection, fb::TFbTransaction& ATransaction, std::string AName)
    : FConnection(AConnection), FTransaction(ATransaction), FName(std::move(AName))
{
    Run("SAVEPOINT " + FName);
    FOpen = true;
}

TSavepoint::~TSavepoint()
{
    if (!FOpen) return;
    try {
        Run("ROLLBACK TO SAVEPOINT " + FName);
    } catch (...) {
        // The error that brought us here is the one worth reporting; a
        // transaction that cannot even roll back fails at its commit.
    }
}

void TSavepoint::Release()
{
    Run("RELEASE SAVEPOINT " + FName + " ONLY");
    FOpen = false;
}

void TSavepoint::Run(const std::string& ASql)
{
    fb::TFbStatement statement(FConnection, FTransaction, ASql, false);
    statement.Execute();
}

}  // namespace qorita
