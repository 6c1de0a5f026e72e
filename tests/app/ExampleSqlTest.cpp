// The SQL example the package installs (sql/example.sql) and the README
// shows, run as an integrator runs it: with isql-fb on the application's
// database. Pointed at a test courier, it gives a deployment -Verifica passes
// and a call that Crea completes.
#include "CallFixture.h"
#include "FileText.h"
#include "SandboxCourier.h"
#include "data/ParametriTabX.h"

#include <cctype>
#include <filesystem>

namespace qorita::test {
namespace {

const std::filesystem::path kExample = std::filesystem::path(QORITA_SOURCE_DIR) / "sql" / "example.sql";

class ExampleSqlTest : public CallFixture {};

TEST_F(ExampleSqlTest, RunsWithIsqlAndGivesADeploymentThatPassesAndACallThatCompletes)
{
    sandbox::TSandboxCourier courier;
    courier.Start();
    const std::vector<std::string> isql{
        "-q", "-user", "SYSDBA", "-password", TTestDatabase::Password(), Db.Location(), "-i", kExample.string()};
    // Twice: running it again replaces the parameters instead of doubling them.
    ASSERT_EQ(RunQorita(isql, {}, "/usr/bin/isql-fb").ExitCode, 0);
    const TRunResult result = RunQorita(isql, {}, "/usr/bin/isql-fb");
    ASSERT_EQ(result.ExitCode, 0) << result.Out << result.Err;
    // isql prints the column's name, a line of "=", then the value.
    const std::size_t rule = result.Out.find("====");
    ASSERT_NE(rule, std::string::npos) << result.Out;
    const std::size_t value = result.Out.find_first_not_of("= \t\r\n", rule);
    ASSERT_NE(value, std::string::npos) << result.Out;
    ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(result.Out[value]))) << result.Out;
    const std::int32_t call = std::stoi(result.Out.substr(value));

    // What an integrator changes to try it against a test courier.
    for (const auto& [nome, testo] : {std::pair<std::string, std::string>{"QORITA_RequestResponseDir", ExchangeDir},
                                      {"QORITA_ServiceUrl", courier.WsdlUrl()},
                                      {"QORITA_ServiceCaFile", courier.CaFile().string()}}) {
        Db.Exec("UPDATE TABX SET TESTO='" + testo + "' WHERE NOME='" + nome + "' AND UTENTE IS NULL");
    }
    const TRunResult verifica = RunQorita({"-Verifica", "DatabaseName=" + Db.Location()});
    EXPECT_EQ(verifica.ExitCode, 0) << verifica.Out << verifica.Err;

    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    const std::vector<TRow> parcels = Parcels(std::stoi(*CallRow(call).at("TESTATA")));
    ASSERT_EQ(parcels.size(), 2u);
    for (const TRow& parcel : parcels) EXPECT_NE(parcel.at("ETICHETTA"), std::nullopt);
}

// The README shows the example's statements as they are in the file, so that
// what an operator pastes is what the test above runs.
TEST(ExampleSqlReadmeTest, TheReadmeShowsTheExampleAsItIs)
{
    const std::string example = ReadFile(kExample);
    const std::size_t statements = example.find("DELETE FROM TABX");
    ASSERT_NE(statements, std::string::npos);
    const std::string readme = ReadFile(std::filesystem::path(QORITA_SOURCE_DIR) / "README.md");
    EXPECT_NE(readme.find("```sql\n" + example.substr(statements) + "```\n"), std::string::npos)
        << "README.md lacks sql/example.sql from its first statement on, in an sql block";
}

// The README's table of TABX parameters has a row for each parameter a run reads.
TEST(ExampleSqlReadmeTest, TheReadmeListsEveryTabxParameter)
{
    const std::string readme = ReadFile(std::filesystem::path(QORITA_SOURCE_DIR) / "README.md");
    for (const TParametroTabX& parametro : ParametriTabX()) {
        EXPECT_NE(readme.find("| `" + std::string(parametro.Nome) + "` |"), std::string::npos) << parametro.Nome;
    }
}

}  // namespace
}  // namespace qorita::test
