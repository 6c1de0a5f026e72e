#include "TestDatabaseUser.h"

#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <cctype>
#include <random>
#include <sstream>
#include <stdexcept>

namespace qorita::test {
namespace {

std::string RandomHex()
{
    std::random_device random;
    std::ostringstream text;
    text << std::hex << random();
    return text.str();
}

}  // namespace

TTestDatabaseUser::TTestDatabaseUser(TTestDatabase& ADatabase, const std::string& APassword)
    : FDatabase(ADatabase),
      FName("QORITA_T_" + RandomHex()),
      FPassword(APassword.empty() ? "Pw" + RandomHex() : APassword)
{
    // Through the embedded engine the user would land in the machine's own
    // security database.
    if (FDatabase.Location().front() == '/') throw std::logic_error("a user of its own needs the Firebird server");
    for (char& c : FName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    FDatabase.Exec("CREATE USER " + FName + " PASSWORD '" + FPassword + "' USING PLUGIN Srp");
}

TTestDatabaseUser::~TTestDatabaseUser()
{
    try {
        FDatabase.Exec("DROP USER " + FName + " USING PLUGIN Srp");
    } catch (...) {
        // Nothing else can be done; the name is random and unused elsewhere.
    }
}

void TTestDatabaseUser::Grant(const std::vector<std::string>& AGrants)
{
    std::vector<std::string> statements;
    for (const std::string& grant : AGrants) statements.push_back("GRANT " + grant + " TO " + FName);
    FDatabase.ExecAll(statements);
}

void TTestDatabaseUser::GrantRun()
{
    Grant({"SELECT, INSERT, UPDATE ON QORITA_CHIAMATE", "SELECT, INSERT, UPDATE ON QORITA_TESTATE",
           "SELECT, INSERT, UPDATE ON QORITA_RIGHE", "INSERT ON QORITA_LOG", "SELECT ON TABX",
           "USAGE ON SEQUENCE QORITA_LOG_ID", "USAGE ON SEQUENCE QORITA_RIGHE_CONTATOREPROG"});
}

bool TTestDatabaseUser::HeldToItsGrants() const
{
    fb::TFbConnection connection;
    connection.Open(FDatabase.Location(), {FName, FPassword});
    fb::TFbTransaction transaction(connection, {.Access = fb::TFbAccessMode::ReadOnly});
    transaction.Start();
    std::string user;
    {
        fb::TFbStatement statement(connection, transaction, "SELECT CURRENT_USER FROM RDB$DATABASE", false);
        statement.Execute();
        user = statement.FieldAt(0).AsText();
        statement.Close();
    }
    transaction.Rollback();
    while (!user.empty() && user.back() == ' ') user.pop_back();
    return user == FName;
}

std::vector<std::string> TTestDatabaseUser::Environment() const
{
    return {"ISC_USER=" + FName, "ISC_PASSWORD=" + FPassword};
}

}  // namespace qorita::test
