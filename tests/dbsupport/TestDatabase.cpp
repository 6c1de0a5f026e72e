#include "TestDatabase.h"

#include "FileText.h"

#include "TestServer.h"

#include "common/Exception.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#ifndef QORITA_SOURCE_DIR
#error "QORITA_SOURCE_DIR must name the repository"
#endif

namespace qorita::test {
namespace {

std::vector<std::string> SplitStatements(const std::string& AScript)
{
    std::vector<std::string> result;
    std::string current;
    std::istringstream lines(AScript);
    std::string line;
    while (std::getline(lines, line)) {
        const auto comment = line.find("--");
        if (comment != std::string::npos) line.erase(comment);
        current += line;
        current += '\n';
        std::size_t end;
        while ((end = current.find(';')) != std::string::npos) {
            std::string statement = current.substr(0, end);
            current.erase(0, end + 1);
            if (statement.find_first_not_of(" \t\r\n") != std::string::npos) result.push_back(statement);
        }
    }
    if (current.find_first_not_of(" \t\r\n") != std::string::npos) result.push_back(current);
    return result;
}

// The data tests run twice: embedded, and with QORITA_TEST_DB_THROUGH_SERVER
// set, through the tests' server.
bool EveryDatabaseThroughServer()
{
    const char* value = std::getenv("QORITA_TEST_DB_THROUGH_SERVER");
    return value != nullptr && *value != '\0' && std::string(value) != "0";
}

// Ends the client library's threads and connections before the process exits,
// as the program does: LeakSanitizer stops every thread at exit to scan memory,
// and the client's network threads winding down on their own at that moment
// have made its tracer crash.
class TFirebirdClientEnvironment : public ::testing::Environment {
public:
    void TearDown() override { fb::ShutdownClient(); }
};

[[maybe_unused]] const auto* const kFirebirdClientEnvironment =
    ::testing::AddGlobalTestEnvironment(new TFirebirdClientEnvironment);

}  // namespace

std::string SchemaSql() { return ReadFile(std::string(QORITA_SOURCE_DIR) + "/sql/schema.sql"); }

// SYSDBA's password on the tests' server (scripts/fbserver.sh), which is not
// the program's built-in one.
std::string TTestDatabase::Password() { return "copperwren"; }

TTestDatabase::TTestDatabase(bool AWithSchema, bool AThroughServer)
{
    const std::string path = (FDir.Path() / "test.fdb").string();
    FLocation = AThroughServer || EveryDatabaseThroughServer() ? TestServerAddress() + ":" + path : path;
    {
        fb::TFbConnection connection;
        connection.Create(FLocation, {"SYSDBA", Password()});
    }
    if (AWithSchema) ExecScript(SchemaSql());
}

TTestDatabase::~TTestDatabase()
{
    try {
        Connect()->Drop();
    } catch (...) {
        // The folder goes anyway.
    }
}

std::unique_ptr<fb::TFbConnection> TTestDatabase::Connect() const
{
    auto connection = std::make_unique<fb::TFbConnection>();
    connection->Open(FLocation, {"SYSDBA", Password()});
    return connection;
}

void TTestDatabase::Exec(const std::string& ASql) { ExecAll({ASql}); }

void TTestDatabase::ExecAll(const std::vector<std::string>& AStatements)
{
    const auto connection = Connect();
    fb::TFbTransaction transaction(*connection);
    transaction.Start();
    for (const std::string& sql : AStatements) {
        fb::TFbStatement statement(*connection, transaction, sql, false);
        statement.Execute();
    }
    transaction.Commit();
}

void TTestDatabase::ExecScript(const std::string& AScript)
{
    // DDL must be committed before the next statement uses it.
    for (const std::string& statement : SplitStatements(AScript)) Exec(statement);
}

std::vector<TRow> TTestDatabase::Query(const std::string& ASql)
{
    std::vector<TRow> rows;
    const auto connection = Connect();
    fb::TFbTransaction transaction(*connection);
    transaction.Start();
    {
        fb::TFbStatement statement(*connection, transaction, ASql, false);
        statement.Execute();
        while (!statement.Eof()) {
            TRow row;
            for (unsigned i = 0;; ++i) {
                const fb::TFbField* field = nullptr;
                try {
                    field = &statement.FieldAt(i);
                } catch (const Exception&) {
                    break;
                }
                row[field->Name()] = field->IsNull() ? std::nullopt : std::optional<std::string>(field->AsText());
            }
            rows.push_back(std::move(row));
            statement.Fetch();
        }
        statement.Close();
    }
    transaction.Commit();
    return rows;
}

std::optional<std::string> TTestDatabase::Scalar(const std::string& ASql)
{
    const auto rows = Query(ASql);
    if (rows.empty() || rows.front().empty()) return std::nullopt;
    return rows.front().begin()->second;
}

void TTestDatabase::SetParameter(const std::string& ANome, const std::optional<std::string>& ATesto,
                                 std::optional<std::int32_t> AUtente)
{
    const auto connection = Connect();
    fb::TFbTransaction transaction(*connection);
    transaction.Start();
    {
        fb::TFbStatement statement(*connection, transaction,
                                   "INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES "
                                   "(GEN_ID(CODICETABXCOUNTER,1), :NOME, :TESTO, :UTENTE)");
        statement.Param("NOME").SetText(ANome);
        if (ATesto) statement.Param("TESTO").SetText(*ATesto);
        if (AUtente) statement.Param("UTENTE").SetInt32(*AUtente);
        statement.Execute();
    }
    transaction.Commit();
}

}  // namespace qorita::test
