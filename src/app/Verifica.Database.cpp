#include "app/Verifica.h"
#include "app/CredenzialiDatabase.h"
#include "common/Exception.h"
#include "common/Text.h"
#include "data/DataSchema.h"
#include "data/DataSql.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

namespace qorita {

void TVerifica::ConnectDatabase()
{
    FDatabase.Open(FDatabaseName, CredenzialiDatabase());
    FTransaction.Start();
}

// The tables, columns and generators come from the statements a run sends.
void TVerifica::CheckObjects()
{
    const std::vector<std::string> missing = MissingObjects(FDatabase, FTransaction, SqlObjects(sql::RunStatements()));
    if (!missing.empty()) throw Exception("missing " + Join(missing, ", "));
}

// Preparing is where the server checks the account's permissions, so every
// statement of a run is prepared, and none is run.
void TVerifica::CheckPermissions()
{
    const std::vector<std::string> refused = RefusedStatements(FDatabase, FTransaction, sql::RunStatements());
    if (!refused.empty()) throw Exception(Join(refused, "; "));
}

}  // namespace qorita
