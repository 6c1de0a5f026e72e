#pragma once

// A fresh Firebird database per test: created from sql/schema.sql in a temporary
// folder and dropped at the end. It is opened through the embedded engine, or
// through the tests' own server (TestServer.h) when the test asks for it or
// QORITA_TEST_DB_THROUGH_SERVER is set.
#include "TempFolder.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qorita::fb {
class TFbConnection;
}

namespace qorita::test {

using TRow = std::map<std::string, std::optional<std::string>>;

// The embedded engine opens a file for one process at a time, so the fixture
// attaches for each of its own operations and holds no connection while the
// program under test runs. Tests that need two processes on one database at the
// same moment use the server (AThroughServer).
class TTestDatabase {
public:
    // AWithSchema false creates an empty database (no tables).
    explicit TTestDatabase(bool AWithSchema = true, bool AThroughServer = false);
    ~TTestDatabase();

    // The location to hand to the program (a file path, or host:path).
    const std::string& Location() const { return FLocation; }
    const std::filesystem::path& Folder() const { return FDir.Path(); }
    static std::string Password();

    // Runs statements in a transaction of their own and commits.
    void Exec(const std::string& ASql);
    // Several statements in one connection and one transaction.
    void ExecAll(const std::vector<std::string>& AStatements);
    void ExecScript(const std::string& AScript);
    // Rows as text (NULL is nullopt), column names upper-case.
    std::vector<TRow> Query(const std::string& ASql);
    std::optional<std::string> Scalar(const std::string& ASql);

    // Puts the six service parameters (and the optional ones) into TABX.
    void SetParameter(const std::string& ANome, const std::optional<std::string>& ATesto,
                      std::optional<std::int32_t> AUtente = std::nullopt);

    // A new connection to the database, for tests that hold one open.
    std::unique_ptr<fb::TFbConnection> Connect() const;

private:
    support::TTempFolder FDir{"qorita-test"};
    std::string FLocation;
};

// The text of sql/schema.sql.
std::string SchemaSql();

}  // namespace qorita::test
