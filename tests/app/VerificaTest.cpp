// The deployment check, "-Verifica": the real binary on a real database, the
// sandbox courier over HTTPS on loopback, and a deployment broken one way per
// case. It prints one line per check, exits 0 only when all passed, changes
// nothing in the database and never posts to the courier.
#include "CallFixture.h"
#include "SandboxCourier.h"
#include "TestDatabaseUser.h"
#include "Wsdl.h"
#include "app/Journal.h"
#include "data/DataAccess.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbTransaction.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace qorita::test {
namespace {

constexpr std::size_t kLines = 9;
constexpr std::array<const char*, kLines> kLabels{"database ",           "tables, columns and generators",
                                                  "permissions",         "TABX parameters",
                                                  "archive folder",      "exchanges in flight",
                                                  "courier description", "courier endpoint",
                                                  "courier password"};
// The two lines that inform and never fail the check on their own.
constexpr std::size_t kInFlightLine = 5;
constexpr std::size_t kPasswordLine = 8;

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
    void ExpectLines(const TRunResult& AResult, const std::array<std::string, kLines>& AExpected)
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
            const bool informs = i == kPasswordLine || (i == kInFlightLine && AExpected[i].find("skipped") != 0 &&
                                                        AExpected[i].find("left for an operator") == std::string::npos);
            allOk = allOk && (AExpected[i] == "ok" || informs);
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
    std::array<std::string, kLines> Expected;
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
const std::string kNone = "none";
const std::string kNoPassword =
    "not checked: only a real request shows whether the courier accepts QORITA_CodiceClienteQor and "
    "QORITA_PasswordClienteQor, and -Verifica sends none";

INSTANTIATE_TEST_SUITE_P(
    Cases, VerificaTest,
    ::testing::Values(
        VerificaCase{"AllOk", [](VerificaFixture&) {}, {kOk, kOk, kOk, kOk, kOk, kNone, kOk, kOk, kNoPassword}},
        // As mainstream SOAP toolkits write it: SOAP 1.2 binding and port first,
        // other prefixes, wrapper namespaces only in the schema.
        VerificaCase{"AllOkWithAToolkitStyleDescription",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl(f.Courier.EndpointUrl(), sandbox::TWsdlStyle::SchemaElement),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"NoDatabase",
                     [](VerificaFixture& f) { f.DatabaseName = (f.Db.Folder() / "none.fdb").string(); },
                     {"No such file or directory", "skipped (the database did not open)",
                      "skipped (the database did not open)", "skipped (the database did not open)",
                      "skipped (the database did not open)", "skipped (the database did not open)",
                      "skipped (the database did not open)", "skipped (the database did not open)", kNoPassword}},
        VerificaCase{"MissingTable",
                     [](VerificaFixture& f) { f.Db.Exec("DROP TABLE QORITA_LOG"); },
                     {kOk, "missing table QORITA_LOG", "skipped (tables, columns or generators are missing)", kOk, kOk,
                      kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"MissingColumnAndGenerator",
                     [](VerificaFixture& f) {
                         f.Db.Exec("ALTER TABLE QORITA_RIGHE DROP ETICHETTA");
                         f.Db.Exec("DROP GENERATOR QORITA_LOG_ID");
                     },
                     {kOk, "missing column QORITA_RIGHE.ETICHETTA, generator QORITA_LOG_ID",
                      "skipped (tables, columns or generators are missing)", kOk, kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"MissingTabxColumn",
                     [](VerificaFixture& f) { f.Db.Exec("ALTER TABLE TABX DROP MEMO"); },
                     {kOk, "missing column TABX.MEMO", "skipped (tables, columns or generators are missing)", "MEMO",
                      "skipped (TABX could not be read)", "skipped (TABX could not be read)",
                      "skipped (TABX could not be read)", "skipped (TABX could not be read)", kNoPassword}},
        // Each problem under its key: a run's message for what is missing,
        // "not valid" for what is set but wrong.
        VerificaCase{"MissingTabxParameters",
                     [](VerificaFixture& f) {
                         f.Db.Exec(
                             "DELETE FROM TABX WHERE NOME IN ('QORITA_PasswordClienteQor', "
                             "'QORITA_TipoEtichetta')");
                     },
                     {kOk, kOk, kOk,
                      "QORITA_PasswordClienteQor not set: Password Cliente QOR non specificata; "
                      "QORITA_TipoEtichetta not set: Tipo etichetta QOR non specificata",
                      kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"TabxValuesSetButWrong",
                     [](VerificaFixture& f) {
                         f.Db.Exec("UPDATE TABX SET TESTO='12a' WHERE NOME='QORITA_CodiceClienteQor'");
                         f.Db.SetParameter("QORITA_ServiceTimeout", "10 min");
                     },
                     {kOk, kOk, kOk,
                      "QORITA_CodiceClienteQor not valid: \"12a\" (an integer other than 0; $1F or 0x1F for "
                      "hexadecimal); QORITA_ServiceTimeout not valid: \"10 min\" (whole seconds, above 0)",
                      kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"TabxValueOnlyForAUser",
                     [](VerificaFixture& f) {
                         f.Db.Exec("UPDATE TABX SET UTENTE=7 WHERE NOME='QORITA_SedeQor'");
                     },
                     {kOk, kOk, kOk,
                      "QORITA_SedeQor not set: Sede QOR non specificata (set only for UTENTE 7; a run reads the row "
                      "with UTENTE NULL)",
                      kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"TabxKeyTwiceMisspelledAndInAnotherCase",
                     [](VerificaFixture& f) {
                         f.Db.Exec("INSERT INTO TABX (CODICE, NOME, TESTO) VALUES (GEN_ID(CODICETABXCOUNTER,1), "
                                   "'QORITA_SedeQor', 'RM')");
                         f.Db.SetParameter("QORITA_ServiceTimout", "30");
                         f.Db.SetParameter("qorita_servicecafile", "/etc/ssl/x.pem");
                     },
                     {kOk, kOk, kOk,
                      "QORITA_SedeQor is set 2 times with UTENTE NULL: a run takes whichever row the database "
                      "returns first; keep one; QORITA_ServiceTimout: unknown key, a run never reads it; did you "
                      "mean QORITA_ServiceTimeout?; qorita_servicecafile: unknown key, a run never reads it; names "
                      "are matched with their letter case: QORITA_ServiceCaFile",
                      kOk, kNone, kOk, kOk, kNoPassword}},
        VerificaCase{"MissingArchiveFolder",
                     [](VerificaFixture& f) { std::filesystem::remove(f.ExchangeDir); },
                     {kOk, kOk, kOk, "QORITA_RequestResponseDir not valid: \"", "no such folder",
                      "skipped (no archive folder)", kOk, kOk, kNoPassword}},
        VerificaCase{"DescriptionUnreachable",
                     [](VerificaFixture& f) { f.Courier.Stop(); },
                     {kOk, kOk, kOk, kOk, kOk, kNone, "Unable to load WSDL File/Location",
                      "skipped (no endpoint without the description)", kNoPassword}},
        // An authority the program does not trust: the fix is QORITA_ServiceCaFile.
        VerificaCase{"DescriptionWithAnotherAuthority",
                     [](VerificaFixture& f) {
                         f.Stranger.Start();
                         f.Db.Exec("UPDATE TABX SET TESTO='" + f.Stranger.CaFile().string() +
                                   "' WHERE NOME='QORITA_ServiceCaFile'");
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone,
                      "; the authority that signed the courier's certificate is neither in the system store nor in "
                      "QORITA_ServiceCaFile (",
                      "skipped (no endpoint without the description)", kNoPassword}},
        VerificaCase{"DescriptionWithoutACaFile",
                     [](VerificaFixture& f) { f.Db.Exec("DELETE FROM TABX WHERE NOME='QORITA_ServiceCaFile'"); },
                     {kOk, kOk, kOk, kOk, kOk, kNone,
                      "unable to get local issuer certificate]; the authority that signed "
                      "the courier's certificate is not in the system store: name its PEM file in "
                      "QORITA_ServiceCaFile",
                      "skipped (no endpoint without the description)", kNoPassword}},
        VerificaCase{"CaFileMissing",
                     [](VerificaFixture& f) {
                         f.Db.Exec("UPDATE TABX SET TESTO=TESTO || '.gone' WHERE NOME='QORITA_ServiceCaFile'");
                     },
                     {kOk, kOk, kOk, "QORITA_ServiceCaFile not valid: \"", kOk, kNone, "", "skipped", kNoPassword}},
        VerificaCase{"DescriptionOverPlainHttp",
                     [](VerificaFixture& f) {
                         f.Db.Exec("UPDATE TABX SET TESTO='http://127.0.0.1:" + std::to_string(ClosedPort()) +
                                   "/zanwebservice.asmx?WSDL' WHERE NOME='QORITA_ServiceUrl'");
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, "not an https location",
                      "skipped (no endpoint without the description)", kNoPassword}},
        VerificaCase{"DescriptionWithoutAnOperation",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = WsdlWithout(f.Courier.EndpointUrl(), "DeleteSped"), .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, "the description lacks operation 'DeleteSped'",
                      "skipped (no endpoint without the description)", kNoPassword}},
        VerificaCase{"EndpointRefusing",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl("https://127.0.0.1:" + std::to_string(ClosedPort()) +
                                                         "/zanwebservice.asmx"),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, kOk, "Couldn't connect to server", kNoPassword}},
        VerificaCase{"EndpointWithAnotherAuthority",
                     [](VerificaFixture& f) {
                         f.Stranger.Start();
                         f.Courier.QueueAnswer({.Body = sandbox::BuildWsdl(f.Stranger.EndpointUrl()), .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, kOk, "QORITA_ServiceCaFile (", kNoPassword}},
        VerificaCase{"EndpointOverPlainHttp",
                     [](VerificaFixture& f) {
                         f.Courier.QueueAnswer(
                             {.Body = sandbox::BuildWsdl("http://127.0.0.1:" + std::to_string(f.Courier.Port()) +
                                                         "/zanwebservice.asmx"),
                              .Method = "GET"});
                     },
                     {kOk, kOk, kOk, kOk, kOk, kNone, kOk, "not an https location", kNoPassword}}),
    [](const ::testing::TestParamInfo<VerificaCase>& AInfo) { return AInfo.param.Name; });

// What waits in the journal is listed per shipment with what the next run
// does with it; the deployment is not at fault for it. An entry nobody can
// read waits for an operator, and fails the check until someone has looked.
class VerificaJournalTest : public VerificaFixture {
protected:
    // What a run on the fixture's database records in its entries.
    std::string OwnDatabase() const
    {
        const std::unique_ptr<fb::TFbConnection> connection = Db.Connect();
        fb::TFbTransaction transaction(*connection, fb::TFbTransactionOptions{.Access = fb::TFbAccessMode::ReadOnly});
        transaction.Start();
        return TQorItaDatabaseAccess(connection.get(), &transaction).Identita();
    }

    TJournalEntry Entry(bool AAnswered, const std::string& ADatabase)
    {
        TJournalEntry entry;
        entry.Database = ADatabase;
        entry.Operazione = "AddParcel";
        entry.DataOra = 45642.5;
        entry.Operatore = 42;
        entry.FileXmlRequest = ExchangeDir + "/request.xml";
        if (AAnswered) entry.FileXmlResponse = ExchangeDir + "/response.xml";
        entry.Colli = {{1, 7}, {2, 8}};
        return entry;
    }

    std::string InFlightLine(const TRunResult& AResult)
    {
        const std::vector<std::string> lines = Lines(AResult.Out);
        return lines.size() == kLines ? lines[kInFlightLine] : AResult.Out;
    }
};

TEST_F(VerificaJournalTest, ListsTheShipmentsWithExchangesInFlight)
{
    const std::string own = OwnDatabase();
    TJournal first(ExchangeDir, 12);
    TJournalEntry answered = Entry(true, own);
    TJournalEntry unanswered = Entry(false, own);
    first.Write(answered);
    first.Write(unanswered);
    TJournal second(ExchangeDir, 7);
    TJournalEntry another = Entry(false, own);
    second.Write(another);
    // Another database's runs share the folder: their entries are theirs.
    TJournalEntry foreign = Entry(true, "2020-01-02 03:04:05.0000 /data/altra.fdb");
    second.Write(foreign);

    const TRunResult result = RunVerifica();
    EXPECT_EQ(result.ExitCode, 0) << result.Out;
    EXPECT_EQ(InFlightLine(result),
              "exchanges in flight: header 7: 1 entry of another database on this archive folder, left to its runs, "
              "1 request without answer that the next Crea sends again with the same counters; header 12: 1 answer "
              "that the next run on it records, 1 request without answer that the next Crea sends again with the "
              "same counters");

    // Damaged, as a disk might leave it.
    std::ofstream(first.Folder() / answered.Name, std::ios::trunc) << "not an entry";
    const TRunResult damaged = RunVerifica();
    EXPECT_EQ(damaged.ExitCode, 1) << damaged.Out;
    const std::string line = InFlightLine(damaged);
    EXPECT_NE(line.find("header 12: 1 request without answer that the next Crea sends again with the same counters, "
                        "1 entry that cannot be read, left for an operator ("),
              std::string::npos)
        << line;
    EXPECT_NE(line.find(answered.Name), std::string::npos) << line;
}

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
    const TRunResult result = RunVerifica(User.Environment());
    ExpectLines(result, {kOk, kOk, kOk, kOk, kOk, kNone, kOk, kOk, kNoPassword});
    // The account checked is the one the run would use.
    EXPECT_EQ(result.Out.rfind("database " + DatabaseName + ", user " + User.Name() + ": ok\r\n", 0), 0u) << result.Out;
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
                         "skipped (TABX could not be read)", "skipped (TABX could not be read)", kNoPassword});
    for (const char* refusal : {"INSERT access to TABLE QORITA_RIGHE", "INSERT access to TABLE QORITA_LOG",
                                "SELECT access to TABLE TABX", "USAGE access to GENERATOR QORITA_LOG_ID"}) {
        EXPECT_NE(result.Out.find(refusal), std::string::npos) << refusal << "\n" << result.Out;
    }
    EXPECT_EQ(result.Out.find(User.Password()), std::string::npos);
}

}  // namespace
}  // namespace qorita::test
