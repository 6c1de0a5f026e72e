// The call frame: call row, parameters, outcome and the single commit, seen
// from the calling application (database rows, console, exit code).
#include "CallFixture.h"
#include "LoopbackPort.h"
#include "data/fb/FbConnection.h"
#include "data/fb/FbStatement.h"
#include "data/fb/FbTransaction.h"

namespace qorita::test {
namespace {

using CallFrameTest = CallFixture;

TEST_F(CallFrameTest, AMissingCallRowIsReportedAndNothingIsWritten)
{
    SetParameters();
    const TRunResult result = RunQorita({"-Crea", "DatabaseName=" + Db.Location(), "ChiamataId=abc"});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "Record ID 0 non trovato in QORITA_CHIAMATE\r\n");
    EXPECT_TRUE(Db.Query("SELECT * FROM QORITA_CHIAMATE").empty());
}

TEST_F(CallFrameTest, ACallRowWithoutHeaderIsLeftAsItWas)
{
    const std::int32_t id = AddCall(0, 0);
    Db.Exec("UPDATE QORITA_CHIAMATE SET ESITO_MESSAGGIO='in attesa' WHERE ID=" + std::to_string(id));
    const TRunResult result = Run("Crea", id);
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out, "Record ID " + std::to_string(id) + " in QORITA_CHIAMATE senza valore nel campo TESTATA\r\n");
    const TRow row = CallRow(id);
    // Not written back: a NULL code would come back as 0, a success.
    EXPECT_EQ(row.at("ESITO_CODICE"), std::nullopt);
    EXPECT_EQ(row.at("ESITO_MESSAGGIO"), "in attesa");
    EXPECT_EQ(row.at("OPERATORE"), "0");  // as written, where a write-back would make it NULL
}

TEST_F(CallFrameTest, AMissingParameterBecomesTheOutcome)
{
    Db.SetParameter("QORITA_SedeQor", "MI", 5);  // a user's value is not the general one
    const std::int32_t id = AddCall(AddShipment());
    const TRunResult result = Run("Crea", id);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(CallRow(id).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(CallRow(id).at("ESITO_MESSAGGIO"), "Sede QOR non specificata");
    EXPECT_TRUE(LogRows().empty());
}

TEST_F(CallFrameTest, AMissingParameterTableIsTheDatabasesMessage)
{
    Db.Exec("DROP TABLE TABX");
    const std::int32_t id = AddCall(AddShipment());
    const TRunResult result = Run("Conferma", id);
    EXPECT_EQ(result.ExitCode, 0);
    const auto message = CallRow(id).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_NE(message.find("TABX"), std::string::npos) << message;
    EXPECT_EQ(CallRow(id).at("ESITO_CODICE"), "-1");
}

struct RefusalCase {
    const char* Command;
    TShipmentRow Shipment;
    const char* Code;
    const char* Message;
};

void PrintTo(const RefusalCase& ACase, std::ostream* AOut) { *AOut << ACase.Command << ": " << ACase.Message; }

class StateRefusalTest : public CallFixture, public ::testing::WithParamInterface<RefusalCase> {};

// Refused by the shipment's state: no service call (none is configured to
// answer), no log row, code 1.
TEST_P(StateRefusalTest, RecordsTheRefusalWithoutAnyExchange)
{
    // Nothing listens there: a run that called the courier would fail.
    SetParameters("https://127.0.0.1:" + std::to_string(UnusedLoopbackPort()) + "/zanwebservice.asmx?WSDL");
    const std::int32_t testata = AddShipment(GetParam().Shipment);
    const TRow before = Header(testata);
    const std::int32_t id = AddCall(testata);
    const TRunResult result = Run(GetParam().Command, id);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    EXPECT_EQ(CallRow(id).at("ESITO_CODICE"), GetParam().Code);
    EXPECT_EQ(CallRow(id).at("ESITO_MESSAGGIO"), GetParam().Message);
    EXPECT_TRUE(LogRows().empty());
    EXPECT_EQ(Header(testata), before);
    EXPECT_TRUE(std::filesystem::is_empty(ExchangeDir));
}

const TShipmentRow kSent{.NumeroSpedizione = 5001, .Parcels = {{.InvioDataOra = "2026-12-01 10:00:00"}}};
const TShipmentRow kSentConfirmed{.NumeroSpedizione = 5001,
                                  .ConfermaDataOra = "2026-12-01 11:00:00",
                                  .Parcels = {{.InvioDataOra = "2026-12-01 10:00:00"}}};
const TShipmentRow kUnsentConfirmed{.ConfermaDataOra = "2026-12-01 11:00:00"};
const TShipmentRow kNumberedButOneUnsent{.NumeroSpedizione = 5001,
                                         .Parcels = {{.InvioDataOra = "2026-12-01 10:00:00"}, {}}};

INSTANTIATE_TEST_SUITE_P(
    Cases, StateRefusalTest,
    ::testing::Values(RefusalCase{"Crea", kSent, "1", "Spedizione già creata"},
                      RefusalCase{"Crea", kSentConfirmed, "1", "Spedizione già creata"},
                      RefusalCase{"Conferma", kSentConfirmed, "1", "Spedizione già confermata"},
                      RefusalCase{"Conferma", kUnsentConfirmed, "1", "Spedizione già confermata"},
                      RefusalCase{"CreaConferma", kSentConfirmed, "1", "Spedizione già confermata"},
                      RefusalCase{"Elimina", TShipmentRow{}, "1", "Spedizione non ancora inviata"},
                      RefusalCase{"Elimina", kNumberedButOneUnsent, "1", "Spedizione non ancora inviata"},
                      // Every parcel has a send time but the header no number:
                      // nothing to send, the outcome stays OK.
                      RefusalCase{"Crea", TShipmentRow{.Parcels = {{.InvioDataOra = "2026-12-01 10:00:00"}}}, "0",
                                  "OK"}));

TEST_F(CallFrameTest, AMissingHeaderOrParcelSetFailsTheOperation)
{
    SetParameters();
    const std::int32_t noHeader = AddCall(999);
    EXPECT_EQ(Run("Crea", noHeader).ExitCode, 0);
    EXPECT_EQ(CallRow(noHeader).at("ESITO_MESSAGGIO"), "Record ID 999 non trovato in QORITA_TESTATE");
    EXPECT_EQ(CallRow(noHeader).at("ESITO_CODICE"), "-1");

    const std::int32_t testata = AddShipment(TShipmentRow{.Parcels = {}});
    const std::int32_t noParcels = AddCall(testata);
    EXPECT_EQ(Run("Elimina", noParcels).ExitCode, 0);
    EXPECT_EQ(CallRow(noParcels).at("ESITO_MESSAGGIO"),
              "Nessun record trovato in QORITA_RIGHE con TESTATA=" + std::to_string(testata));
}

TEST_F(CallFrameTest, ACallRowThatCannotBeWrittenGivesTwoNonBlockingLines)
{
    Db.Exec("ALTER TABLE QORITA_CHIAMATE ALTER ESITO_MESSAGGIO TYPE VARCHAR(5000)");
    const std::int32_t id = AddCall(AddShipment());
    // The outcome message will not fit once the column is narrowed by a check.
    Db.Exec("ALTER TABLE QORITA_CHIAMATE ADD CONSTRAINT SHORT_MESSAGE CHECK (CHAR_LENGTH(ESITO_MESSAGGIO) < 5)");
    const TRunResult result = Run("Crea", id);
    EXPECT_EQ(result.ExitCode, 0);
    const std::string first = "(Errore non bloccante) Fallito aggiornamento QORITA_CHIAMATE:\r\n";
    ASSERT_GE(result.Out.size(), first.size()) << result.Out;
    EXPECT_EQ(result.Out.substr(0, first.size()), first);
    EXPECT_NE(result.Out.find("SHORT_MESSAGE"), std::string::npos) << result.Out;
    EXPECT_EQ(CallRow(id).at("ESITO_MESSAGGIO"), std::nullopt);
}

// Two processes on one database at once: through the server.
class ServerCallFrameTest : public CallFixture {
protected:
    ServerCallFrameTest() : CallFixture(true) {}
};

TEST_F(ServerCallFrameTest, ACallRowLockedByAnotherTransactionDoesNotHang)
{
    const std::int32_t id = AddCall(AddShipment());
    const auto other = Db.Connect();
    fb::TFbTransaction transaction(*other);
    transaction.Start();
    fb::TFbStatement lock(*other, transaction, "UPDATE QORITA_CHIAMATE SET OPERATORE=OPERATORE WHERE ID=:ID");
    lock.Param("ID").SetInt32(id);
    lock.Execute();
    const auto started = std::chrono::steady_clock::now();
    const TRunResult result = Run("Crea", id);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_NE(result.Out.find("update conflicts with concurrent update"), std::string::npos) << result.Out;
}

}  // namespace
}  // namespace qorita::test
