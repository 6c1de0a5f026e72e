// Conferma and CreaConferma: the confirmation of a shipment already sent, or of
// the number a creation just received.
#include "OperationsFixture.h"
#include "common/DateTime.h"

#include <chrono>
#include <thread>

namespace qorita::test {
namespace {

using sandbox::TShipmentState;

TEST_P(OperationsByStyleTest, ConfermaConfirmsWithTheLogRecordsStamp)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
    const std::int32_t call = AddCall(testata, 43);
    EXPECT_EQ(Run("Conferma", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const auto rows = LogRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].at("OPERAZIONE"), "CWDBSN");
    EXPECT_EQ(rows[1].at("ESITO_CODICE"), "0");
    EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA"), rows[1].at("DATAORA"));
    EXPECT_EQ(Header(testata).at("CONFERMA_OPERATORE"), "43");
    EXPECT_EQ(Courier.Shipments().at(0).State, TShipmentState::Confermata);
    EXPECT_TRUE(LastWrapperInStyleNamespace("CloseWorkDayByShipmentNumber"));

    const std::int32_t twice = AddCall(testata);
    EXPECT_EQ(Run("Conferma", twice).ExitCode, 0);
    ExpectOutcome(twice, "1", "Spedizione già confermata");
    EXPECT_EQ(LogRows().size(), 2u);
}

TEST_F(OperationsTest, ConfermaOfAnUnknownNumberIsANegativeAnswer)
{
    const std::int32_t testata = AddShipment();  // never created: number 0 is sent
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Conferma", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message, "Risposta negativa dal server QOR\r\nSpedizione 0 non presente");
    ExpectLog(0, "CWDBSN", "-1", message);
    EXPECT_EQ(Header(testata), before);
    EXPECT_NE(ReadFile(*LogRows().at(0).at("FILEXML_REQUEST"))
                  .find("<NumeroDiSpedizioneQORDaConfermare>0</NumeroDiSpedizioneQORDaConfermare>"),
              std::string::npos);
}

// A confirmation answer is judged by its overall description and by how many
// parcel errors it lists against the one parcel item sent: an outcome of its
// own for that item does not make it negative.
TEST_F(OperationsTest, ConfermaAnswersJudgedByDescriptionAndParcelErrorCount)
{
    const auto answer = [](const std::string& ADescrizione, const std::vector<std::string>& AEsiti) {
        std::string payload = "<CloseWorkDayByShipmentNumberResult xmlns=\"\"><DescrizioneErrore>" + ADescrizione +
                              "</DescrizioneErrore>";
        for (const std::string& esito : AEsiti) {
            payload += "<Parcel><NumeroDiSpedizioneQORDaConfermare>1</NumeroDiSpedizioneQORDaConfermare><esito>" +
                       esito + "</esito></Parcel>";
        }
        return SoapAnswer("CloseWorkDayByShipmentNumber", payload + "</CloseWorkDayByShipmentNumberResult>");
    };
    struct TCase {
        const char* Name;
        std::string Answer;
        std::string Codice;
        std::string Messaggio;
    };
    const std::vector<TCase> cases = {
        {"one outcome of its own for the one item", answer("OK", {"Spedizione bloccata"}), "0", "OK"},
        {"empty description, the item confirmed already", answer("", {"GIA' CONFERMATA"}), "0", "OK"},
        {"OK in lower case", answer("ok", {"OK"}), "0", "OK"},
        {"more parcel errors than items", answer("OK", {"Errore A", "Errore B"}), "-1",
         "Risposta negativa dal server QOR\r\nErrore A\r\nErrore B\r\n"},
        {"a description other than OK", answer("Giornata chiusa", {"OK"}), "-1",
         "Risposta negativa dal server QOR\r\nGiornata chiusa"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::int32_t testata = AddShipment();
        EXPECT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
        const TRow sent = Header(testata);
        Courier.QueueAnswer({.Body = c.Answer, .Method = "POST"});
        const std::int32_t call = AddCall(testata, 43);
        EXPECT_EQ(Run("Conferma", call).ExitCode, 0);
        ExpectOutcome(call, c.Codice, c.Messaggio);
        const TRow log = ExpectLog(LogRows().size() - 1, "CWDBSN", c.Codice, c.Messaggio, true, "43");
        if (c.Codice == "0") {
            EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA"), log.at("DATAORA"));
            EXPECT_EQ(Header(testata).at("CONFERMA_OPERATORE"), "43");
        } else {
            EXPECT_EQ(Header(testata), sent);
        }
    }
}

// The courier confirmed the shipment but the run that asked did not commit (the
// database has no confirmation): running Conferma again gets the courier's
// "already confirmed" and records the confirmation.
TEST_P(OperationsByStyleTest, ARepeatedConfermaAnsweredAsAlreadyConfirmedSucceeds)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("CreaConferma", AddCall(testata)).ExitCode, 0);
    ASSERT_EQ(Courier.Shipments().at(0).State, TShipmentState::Confermata);
    Db.Exec("UPDATE QORITA_TESTATE SET CONFERMA_DATAORA=NULL, CONFERMA_OPERATORE=NULL WHERE ID=" +
            std::to_string(testata));

    // Archive names carry the stamp to the second and are never taken twice:
    // the second confirmation needs a second of its own for its files.
    const std::string first = FormatStamp(Now());
    while (FormatStamp(Now()) == first) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::int32_t call = AddCall(testata, 45);
    EXPECT_EQ(Run("Conferma", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const TRow log = ExpectLog(2, "CWDBSN", "0", "OK", true, "45");
    EXPECT_NE(ReadFile(*log.at("FILEXML_RESPONSE")).find("<esito>GIA' CONFERMATA</esito>"), std::string::npos);
    EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA"), log.at("DATAORA"));
    EXPECT_EQ(Header(testata).at("CONFERMA_OPERATORE"), "45");
}

TEST_P(OperationsByStyleTest, CreaConfermaCreatesThenConfirmsTheNumberJustReceived)
{
    const std::int32_t testata = AddShipment({.Parcels = {{}, {}, {}}});
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("CreaConferma", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    ExpectLog(0, "AddParcel", "0", "OK");
    const TRow confirm = ExpectLog(1, "CWDBSN", "0", "OK");
    EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA"), confirm.at("DATAORA"));
    EXPECT_EQ(Courier.Shipments().at(0).State, TShipmentState::Confermata);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::to_string(Courier.Shipments().at(0).NumeroSpedizione));
}

TEST_F(OperationsTest, CreaConfermaOnASentShipmentOnlyConfirms)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("CreaConferma", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    ASSERT_EQ(LogRows().size(), 2u);
    EXPECT_EQ(LogRows().at(1).at("OPERAZIONE"), "CWDBSN");
    EXPECT_EQ(Courier.Shipments().size(), 1u);
}

TEST_F(OperationsTest, CreaConfermaStopsWhenTheCreationIsRefused)
{
    const std::int32_t testata = AddShipment({.Parcels = {{}, {.Peso = 0.0}}});
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("CreaConferma", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    ASSERT_EQ(LogRows().size(), 1u);
    EXPECT_EQ(LogRows().at(0).at("OPERAZIONE"), "AddParcel");
    EXPECT_EQ(Header(testata).at("CONFERMA_DATAORA"), std::nullopt);
}

TEST_F(OperationsTest, CreaConfermaWithANegativeConfirmationLeavesTheShipmentSent)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    // Answers are served to the POSTs in queue order: AddParcel accepted, then
    // the confirmation refused.
    Courier.QueueAnswer({.Body = AcceptedAddParcel({555}, 9), .Method = "POST"});
    Courier.QueueAnswer({.Body = SoapAnswer("CloseWorkDayByShipmentNumber",
                                            "<CloseWorkDayByShipmentNumberResult xmlns=\"\"><DescrizioneErrore>"
                                            "Giornata chiusa</DescrizioneErrore></CloseWorkDayByShipmentNumberResult>"),
                         .Method = "POST"});
    EXPECT_EQ(Run("CreaConferma", call).ExitCode, 0);
    ExpectOutcome(call, "-1", "Risposta negativa dal server QOR\r\nGiornata chiusa");
    ExpectLog(0, "AddParcel", "0", "OK");
    ExpectLog(1, "CWDBSN", "-1", "Risposta negativa dal server QOR\r\nGiornata chiusa");
    const TRow header = Header(testata);
    EXPECT_EQ(header.at("NUMEROSPEDIZIONE"), "555");
    EXPECT_EQ(header.at("CONFERMA_DATAORA"), std::nullopt);
    EXPECT_EQ(Parcels(testata).at(0).at("CONTATOREPROGRESSIVO"), "9");
    // What the courier received for the confirmation: the number just assigned.
    const auto requests = Courier.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(requests.back().Body.find("555"), std::string::npos);
}

}  // namespace
}  // namespace qorita::test
