#pragma once

// The deployment check, "qorita -Verifica DatabaseName=<db>": before the first
// real call, an integrator learns whether the database, the account, the TABX
// parameters, the archive folder and the courier are as a run needs them. It
// reads, prepares and connects; it registers, confirms and deletes nothing,
// writes nothing to the database and never posts to the courier.
//
// One line per check on standard output, "<check>: ok" or "<check>: <reason>".
// A check that needs what an earlier one could not give is reported as
// "<check>: skipped (<why>)". Two lines only inform: the exchanges the journal
// holds for the next runs, and that the courier's password is not checked.
#include "data/DataObject.h"
#include "data/KelTabX.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

#include <functional>
#include <optional>
#include <string>

namespace qorita {

class TVerifica {
public:
    explicit TVerifica(std::string ADatabaseName);
    ~TVerifica();
    TVerifica(const TVerifica&) = delete;
    TVerifica& operator=(const TVerifica&) = delete;

    // Runs every check in order; true when each one passed.
    bool Esegui();

private:
    // Prints the check's line; a check fails by raising with the reason.
    bool Check(const std::string& ALabel, const std::function<void()>& ACheck);
    void Skip(const std::string& ALabel, const std::string& AReason);

    void EseguiControlli();
    void ConnectDatabase();
    void CheckObjects();
    void CheckPermissions();
    // What the journal knows this database by (Journal.h).
    std::string IdentitaDatabase();
    void LoadParametri();
    void CheckServizio();
    void Inform(const std::string& ALabel, const std::string& AText);

    std::string FDatabaseName;
    bool FAllOk = true;
    // Destroyed in reverse order: the parameter table and the transaction
    // before the connection they use.
    fb::TFbConnection FDatabase;
    // Read-only: the check looks at the catalogue and prepares statements,
    // nothing more, and must not be able to change anything.
    fb::TFbTransaction FTransaction{FDatabase, fb::TFbTransactionOptions{.Access = fb::TFbAccessMode::ReadOnly}};
    TKelTabX FKelTabX{&FDatabase};
    // Set once TABX was read.
    std::optional<TQorItaParametri> FParametri;
};

// The archive folder exists and a file can be created and removed there.
// Raises with the reason otherwise.
void CheckArchiveFolder(const std::string& AFolder);

// The shipments whose exchanges wait in the journal of the archive folder, and
// what the next run on each does with them; "none" when nothing waits. Entries
// that cannot be read (or a journal folder that cannot be listed) are named
// too and set ADamaged: no run recovers them, an operator has to look.
std::string ScambiInVolo(const std::string& AFolder, const std::string& ADatabase, bool& ADamaged);

}  // namespace qorita
