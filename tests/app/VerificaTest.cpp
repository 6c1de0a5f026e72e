// The deployment check, "-Verifica": the real binary on a real database, the
// sandbox courier over HTTPS on loopback, and a deployment broken one way per
// case. It prints one line per check, exits 0 only when all passed, changes
// nothing in the database and never posts to the courier.
#include "CallFixture.h"
#include "SandboxCourier.h"
#include "TestDatabaseUser.h"
#include "Wsdl.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <functional>
#include <sstream>

namespace qorita::test {
namespace {

constexpr std::array<const char*, 7> kLabels{"database ",       "tables, columns and generators",
                                             "permissions",     "TABX parameters",
                                             "archive folder",  "courier description",
                                             "courier endpoint"};

// A loopback port nobody listens on.
int ClosedPort()
{
    const int socketFd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(socketFd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(socketFd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(socketFd);
    return ntohs(address.sin_port);
}

// The sandbox's description without the binding's operation AOperation.
std::string WsdlWithout(const std::string& AEndpoint, const std::string& AOperation)
{
    std::string wsdl = sandbox::BuildWsdl(AEndpoint);
    const std::string open = "<wsdl:operation name=\"" + AOperation + "\"><soap:operation";
    const std::size_t start = wsdl.find(open);
    const std::size_t end = wsdl.find("</wsdl:operation>", start) + std::string("</wsdl:operation>").size();
    return wsdl.erase(start, end - start);
}

std::vector<std::string> Lines(const std::string& AOut)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = AOut.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(AOut.substr(start, end - start));
    }
    EXPECT_EQ(start, AOut.size()) << "the last line ends with CR LF";
    return lines;
}

// Rows of the program's tables and the generators' values, to show that the
// check changed nothing (a case may have dropped some of them).
std::string DatabaseState(TTestDatabase& ADb)
{
    std::ostringstream state;
    for (const char* table : {"QORITA_CHIAMATE", "QORITA_TESTATE", "QORITA_RIGHE", "QORITA_LOG", "TABX"}) {
        state << table << ":\n";
        if (!ADb.Scalar(std::string("SELECT 1 FROM RDB$RELATIONS WHERE RDB$RELATION_NAME='") + table + "'")) continue;
        for (const TRow& row : ADb.Query(std::string("SELECT * FROM ") + table)) {
            for (const auto& [column, value] : row) state << column << "=" << value.value_or("NULL") << ";";
            state << "\n";
        }
    }
    for (const char* generator :
         {"QORITA_CHIAMATE_ID", "QORITA_TESTATE_ID", "QORITA_LOG_ID", "QORITA_RIGHE_CONTATOREPROG"}) {
        state << generator << "=";
        if (!ADb.Scalar(std::string("SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME='") + generator + "'")) {
            continue;
        }
        state << *ADb.Scalar(std::string("SELECT GEN_ID(") + generator + ",0) FROM RDB$DATABASE") << "\n";
    }
    return state.str();
}

class VerificaFixture : public CourierCallFixture {
public:
    explicit VerificaFixture(bool AThroughServer = false) : CourierCallFixture(AThroughServer)
    {
        AddCall(AddShipment());
    }

    TRunResult RunVerifica(const std::vector<std::string>& AEnvironment = {})
    {
        return RunQorita({"-Verifica", "DatabaseName=" + DatabaseName}, AEnvironment);
    }

    // AExpected per check: "ok", or a piece of the line's reason.
    void ExpectLines(const TRunResult& AResult, const std::array<std::string, 7>& AExpected)
    {
        const std::vector<std::string> lines = Lines(AResult.Out);
        ASSERT_EQ(lines.size(), kLabels.size()) << AResult.Out;
        bool allOk = true;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].rfind(kLabels[i], 0), 0u) << lines[i];
            const std::size_t colon = lines[i].find(": ");
            ASSERT_NE(colon, std::string::npos) << lines[i];
            const std::string reason = lines[i].substr(colon + 2);
            if (AExpected[i] == "ok") {
                EXPECT_EQ(reason, "ok") << lines[i];
            } else {
                EXPECT_NE(reason, "ok") << lines[i];
                EXPECT_NE(reason.find(AExpected[i]), std::string::npos) << lines[i] << "\nexpected: " << AExpected[i];
            }
            allOk = allOk && AExpected[i] == "ok";
        }
        EXPECT_EQ(AResult.ExitCode, allOk ? 0 : 1);
        EXPECT_EQ(AResult.Err, "");
    }

    void ExpectNoPost()
    {
        for (const sandbox::TReceivedRequest& request : Courier.Requests()) EXPECT_EQ(request.Method, "GET");
    }

    // The cases break the deployment through these.
    using CallFixture::Db;
    using CallFixture::ExchangeDir;
    using CourierCallFixture::Courier;
    // Trusted by nobody here: its certificates are signed by another authority.
    sandbox::TSandboxCourier Stranger;
    std::string DatabaseName = Db.Location();
};

struct VerificaCase {
    std::string Name;
    std::function<void(VerificaFixture&)> Break;
    std::array<std::string, 7> Expected;
};

void PrintTo(const VerificaCase& ACase, std::ostream* AOut) { *AOut << ACase.Name; }

class VerificaTest : public VerificaFixture, public ::testing::WithParamInterface<VerificaCase> {};

TEST_P(VerificaTest, PrintsOneLinePerCheckAndChangesNothing)
{
    GetParam().Break(*this);
    const bool databaseThere = DatabaseName == Db.Location();
    const std::string before = databaseThere ? DatabaseState(Db) : "";

    const TRunResult result = RunVerifica();

    ExpectLines(result, GetParam().Expected);
    ExpectNoPost();
    if (databaseThere) {
        EXPECT_EQ(DatabaseState(Db), before);
    }
    if (std::filesystem::is_directory(ExchangeDir)) {
        EXPECT_TRUE(std::filesystem::is_empty(ExchangeDir));
    }
}

const std::string kOk = "ok";

INSTANTIATE_TEST_SUITE_P(
    Cases, VerificaTest,
    ::testing::Values(
        VerificaCase{"AllOk", [](VerificaFixture&) {}, {kOk, kOk, kOk, kOk, kOk, kOk, kOk}},
        // As mainstream SOAP toolkits write it: SOAP 1.2 binding and port first,
        // other prefixes, wrapper namespaces only in the schema.
        VerificaCase{"AllOkWithAToolkitStyleDescription",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl(f.Courier.EndpointUrl(), sandbox::TWsdlStyle::SchemaElement),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kOk, kOk}},
        VerificaCase{
            "NoDatabase",
            [](VerificaFixture& f) { f.DatabaseName = (f.Db.Folder() / "none.fdb").string(); },
            {"No such file or directory", "skipped (the database did not open)", "skipped (the database did not open)",
             "skipped (the database did not open)", "skipped (the database did not open)",
             "skipped (the database did not open)", "skipped (the database did not open)"}},
        VerificaCase{"MissingTable",
                     [](VerificaFixture& f) { f.Db.Exec("DROP TABLE QORITA_LOG"); },
                     {kOk, "missing table QORITA_LOG", "skipped (tables, columns or generators are missing)", kOk, kOk,
                      kOk, kOk}},
        VerificaCase{"MissingColumnAndGenerator",
                     [](VerificaFixture& f) {
                         f.Db.Exec("ALTER TABLE QORITA_RIGHE DROP ETICHETTA");
                         f.Db.Exec("DROP GENERATOR QORITA_LOG_ID");
                     },
                     {kOk, "missing column QORITA_RIGHE.ETICHETTA, generator QORITA_LOG_ID",
                      "skipped (tables, columns or generators are missing)", kOk, kOk, kOk, kOk}},
        VerificaCase{"MissingTabxColumn",
                     [](VerificaFixture& f) { f.Db.Exec("ALTER TABLE TABX DROP MEMO"); },
                     {kOk, "missing column TABX.MEMO", "skipped (tables, columns or generators are missing)", "MEMO",
                      "skipped (TABX could not be read)", "skipped (TABX could not be read)",
                      "skipped (TABX could not be read)"}},
        VerificaCase{
            "MissingTabxParameters",
            [](VerificaFixture& f) {
                f.Db.Exec(
                    "DELETE FROM TABX WHERE NOME IN ('QORITA_PasswordClienteQor', "
                    "'QORITA_TipoEtichetta')");
            },
            {kOk, kOk, kOk, "Password Cliente QOR non specificata; Tipo etichetta QOR non specificata", kOk, kOk, kOk}},
        VerificaCase{"MissingArchiveFolder",
                     [](VerificaFixture& f) { std::filesystem::remove(f.ExchangeDir); },
                     {kOk, kOk, kOk, "Percorso XML scambi rest QOR", "no such folder", kOk, kOk}},
        VerificaCase{"DescriptionUnreachable",
                     [](VerificaFixture& f) { f.Courier.Stop(); },
                     {kOk, kOk, kOk, kOk, kOk, "Unable to load WSDL File/Location",
                      "skipped (no endpoint without the description)"}},
        VerificaCase{
            "DescriptionWithAnotherAuthority",
            [](VerificaFixture& f) {
                f.Stranger.Start();
                f.Db.Exec("UPDATE TABX SET TESTO='" + f.Stranger.CaFile().string() +
                          "' WHERE NOME='QORITA_ServiceCaFile'");
            },
            {kOk, kOk, kOk, kOk, kOk, "SSL certificate problem", "skipped (no endpoint without the description)"}},
        VerificaCase{
            "DescriptionOverPlainHttp",
            [](VerificaFixture& f) {
                f.Db.Exec("UPDATE TABX SET TESTO='http://127.0.0.1:" + std::to_string(ClosedPort()) +
                          "/zanwebservice.asmx?WSDL' WHERE NOME='QORITA_ServiceUrl'");
            },
            {kOk, kOk, kOk, kOk, kOk, "not an https location", "skipped (no endpoint without the description)"}},
        VerificaCase{"DescriptionWithoutAnOperation",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = WsdlWithout(f.Courier.EndpointUrl(), "DeleteSped"), .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, "the description lacks operation 'DeleteSped'",
                      "skipped (no endpoint without the description)"}},
        VerificaCase{"EndpointRefusing",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl("https://127.0.0.1:" + std::to_string(ClosedPort()) +
                                                         "/zanwebservice.asmx"),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kOk, "Couldn't connect to server"}},
        VerificaCase{"EndpointWithAnotherAuthority",
                     [](VerificaFixture& f) {
                         f.Stranger.Start();
                         f.Courier.QueueAnswer({.Body = sandbox::BuildWsdl(f.Stranger.EndpointUrl()), .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kOk, "SSL certificate problem"}},
        VerificaCase{"EndpointOverPlainHttp",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl("http://127.0.0.1:" + std::to_string(f.Courier.Port()) +
                                                         "/zanwebservice.asmx"),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kOk, "not an https location"}}),
    [](const ::testing::TestParamInfo<VerificaCase>& AInfo) { return AInfo.param.Name; });

TEST(VerificaCommandLineTest, NeedsTheDatabaseButNoCallRow)
{
    const TRunResult result = RunQorita({"-verifica", "ChiamataId=3"});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "Parametro CMD DatabaseName non rilevato\r\n");
}

// Through the server, where the account's permissions are checked the way a run
// meets them: by preparing every statement of a run.
class VerificaPermissionsTest : public VerificaFixture {
protected:
    VerificaPermissionsTest() : VerificaFixture(true), User(Db) {}
    TTestDatabaseUser User;
};

TEST_F(VerificaPermissionsTest, AUserWithTheGrantsOfTheReadmePasses)
{
    User.GrantRun();
    ExpectLines(RunVerifica(User.Environment()), {kOk, kOk, kOk, kOk, kOk, kOk, kOk});
}

TEST_F(VerificaPermissionsTest, EachMissingPermissionIsNamed)
{
    if (!User.HeldToItsGrants()) {
        GTEST_SKIP() << "the test server runs every attachment as SYSDBA (FIREBIRD_BOOT_BUILD): grants are not "
                        "enforced there";
    }
    User.Grant({"SELECT, INSERT, UPDATE ON QORITA_CHIAMATE", "SELECT, INSERT, UPDATE ON QORITA_TESTATE",
                "SELECT, UPDATE ON QORITA_RIGHE", "USAGE ON SEQUENCE QORITA_RIGHE_CONTATOREPROG"});
    const TRunResult result = RunVerifica(User.Environment());
    ExpectLines(result, {kOk, kOk, "no permission for", "no permission for SELECT access to TABLE TABX",
                         "skipped (TABX could not be read)", "skipped (TABX could not be read)",
                         "skipped (TABX could not be read)"});
    for (const char* refusal : {"INSERT access to TABLE QORITA_RIGHE", "INSERT access to TABLE QORITA_LOG",
                                "SELECT access to TABLE TABX", "USAGE access to GENERATOR QORITA_LOG_ID"}) {
        EXPECT_NE(result.Out.find(refusal), std::string::npos) << refusal << "\n" << result.Out;
    }
    EXPECT_EQ(result.Out.find(User.Password()), std::string::npos);
}

}  // namespace
}  // namespace qorita::test
