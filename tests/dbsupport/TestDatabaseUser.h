#pragma once

// A user of its own on the Firebird server, for runs that do not connect as
// SYSDBA: created with a random name and password in the server's security
// database, dropped at the end. Only meaningful through a server (the embedded
// engine checks no password).
#include "TestDatabase.h"

#include <string>
#include <vector>

namespace qorita::test {

class TTestDatabaseUser {
public:
    // A random password unless APassword is given.
    explicit TTestDatabaseUser(TTestDatabase& ADatabase, const std::string& APassword = {});
    ~TTestDatabaseUser();
    TTestDatabaseUser(const TTestDatabaseUser&) = delete;
    TTestDatabaseUser& operator=(const TTestDatabaseUser&) = delete;

    const std::string& Name() const { return FName; }
    const std::string& Password() const { return FPassword; }

    // AGrants are "<privileges> ON <object>", e.g. "SELECT ON TABX".
    void Grant(const std::vector<std::string>& AGrants);
    // What a run needs, as the README lists it.
    void GrantRun();

    // Whether the server runs this user's attachments as this user, and so
    // holds them to its grants. A server started with FIREBIRD_BOOT_BUILD (as
    // scripts/fbserver.sh starts the tests' server, to keep every file it
    // writes in its own folder) still checks the password but runs every
    // attachment as SYSDBA: no test can show there what a missing grant does.
    bool HeldToItsGrants() const;

    // ISC_USER and ISC_PASSWORD for the program.
    std::vector<std::string> Environment() const;

private:
    TTestDatabase& FDatabase;
    std::string FName;
    std::string FPassword;
};

}  // namespace qorita::test
