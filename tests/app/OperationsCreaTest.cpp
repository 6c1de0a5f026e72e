// Crea: the parcels sent, the numbers, counters and labels stored, and every
// way the courier or the database can refuse them.
#include "OperationsFixture.h"
#include "common/Utf8.h"

namespace qorita::test {
namespace {

TEST_P(OperationsByStyleTest, CreaRegistersEveryParcelAndStoresNumbersCountersAndLabels)
{
    const std::int32_t testata = AddShipment(
        {.RagioneSociale = "Trattoria Da Niccolò", .Parcels = {{.Peso = 2.25}, {.Peso = 3.0, .Contrassegno = 49.9}}});
    const std::int32_t call = AddCall(testata);
    const TRunResult result = Run("Crea", call);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out, "");
    ExpectOutcome(call, "0", "OK");
    const TRow log = ExpectLog(0, "AddParcel", "0", "OK");
    ASSERT_EQ(LogRows().size(), 1u);
    EXPECT_TRUE(LastWrapperInStyleNamespace("AddParcel"));

    const auto shipments = Courier.Shipments();
    ASSERT_EQ(shipments.size(), 1u);
    const auto& registered = shipments.front();
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::to_string(registered.NumeroSpedizione));
    ASSERT_EQ(registered.Parcels.size(), 2u);
    EXPECT_EQ(registered.Parcels[0].RagioneSociale, "Trattoria Da Niccolò");
    EXPECT_EQ(registered.Parcels[0].GeneraPdf, 6);
    EXPECT_DOUBLE_EQ(registered.Parcels[0].PesoReale, 2.2);  // one decimal, half to even
    EXPECT_EQ(registered.Parcels[0].ModalitaIncasso, "");
    EXPECT_DOUBLE_EQ(registered.Parcels[1].ImportoContrassegno, 49.9);
    EXPECT_EQ(registered.Parcels[1].ModalitaIncasso, "CONT");
    EXPECT_EQ(registered.Parcels[1].CodiceContrattoQor, 77);

    const auto parcels = Parcels(testata);
    for (std::size_t i = 0; i < parcels.size(); ++i) {
        EXPECT_EQ(parcels[i].at("INVIO_DATAORA"), log.at("DATAORA"));
        EXPECT_EQ(parcels[i].at("INVIO_OPERATORE"), "42");
        EXPECT_EQ(parcels[i].at("CONTATOREPROGRESSIVO"), std::to_string(registered.Parcels[i].ContatoreProgressivo));
        EXPECT_EQ(parcels[i].at("ETICHETTA").value_or("").substr(0, 3), "^XA");
    }
    // The request file holds what was sent, the password masked; the response
    // file what came back.
    EXPECT_NE(ReadFile(*log.at("FILEXML_REQUEST"))
                  .find("<SedeQor>MI</SedeQor><CodiceClienteQor>1234</CodiceClienteQor>"
                        "<PasswordClienteQor>********</PasswordClienteQor>"),
              std::string::npos);
    EXPECT_NE(ReadFile(*log.at("FILEXML_RESPONSE")).find("<InfoLabel"), std::string::npos);
}

TEST_F(OperationsTest, CreaWithPdfLabelsStoresTheBase64Pdf)
{
    const std::int32_t testata = AddShipment({.TipoEtichetta = "PDF"});
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    EXPECT_EQ(Courier.Shipments().at(0).Parcels.at(0).GeneraPdf, 4);
    EXPECT_EQ(Parcels(testata).at(0).at("ETICHETTA").value_or("").substr(0, 8), "JVBERi0x");  // "%PDF-1"
}

TEST_F(OperationsTest, CreaWithSomeParcelsRefusedSavesTheAcceptedOnes)
{
    const std::int32_t testata = AddShipment({.Parcels = {{.Peso = 1.0}, {.Peso = 0.0}, {.Peso = 2.0}}});
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const auto parcels = Parcels(testata);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_NE(message.find("peso non valido"), std::string::npos) << message;
    EXPECT_EQ(message.substr(message.size() - 2), "\r\n");
    ExpectLog(0, "AddParcel", "0", message);
    EXPECT_NE(parcels[0].at("INVIO_DATAORA"), std::nullopt);
    EXPECT_EQ(parcels[1].at("INVIO_DATAORA"), std::nullopt);
    EXPECT_EQ(parcels[1].at("ETICHETTA"), std::nullopt);
    EXPECT_NE(parcels[2].at("INVIO_DATAORA"), std::nullopt);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::to_string(Courier.Shipments().at(0).NumeroSpedizione));

    // A later Crea sends only the refused parcel, once it is fixed.
    Db.Exec("UPDATE QORITA_RIGHE SET PESOREALE=4 WHERE TESTATA=" + std::to_string(testata) + " AND NCOLLO=2");
    const std::int32_t again = AddCall(testata);
    EXPECT_EQ(Run("Crea", again).ExitCode, 0);
    ExpectOutcome(again, "0", "OK");
    ASSERT_EQ(Courier.Shipments().size(), 2u);
    EXPECT_EQ(Courier.Shipments().at(1).Parcels.size(), 1u);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::to_string(Courier.Shipments().at(1).NumeroSpedizione));
}

TEST_F(OperationsTest, CreaWithEveryParcelRefusedChangesNothing)
{
    const std::int32_t testata = AddShipment({.ZipCode = "", .Parcels = {{}, {}}});
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    EXPECT_NE(message.find("CAP mancante"), std::string::npos);
    ExpectLog(0, "AddParcel", "-1", message);
    EXPECT_EQ(Header(testata), before);
    for (const TRow& parcel : Parcels(testata)) EXPECT_EQ(parcel.at("INVIO_DATAORA"), std::nullopt);
}

TEST_F(OperationsTest, CreaWithWrongCredentialsGivesTheCouriersDescription)
{
    Db.Exec("UPDATE TABX SET TESTO='wrong' WHERE NOME='QORITA_PasswordClienteQor'");
    const std::int32_t call = AddCall(AddShipment());
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    EXPECT_GT(message.size(), std::string("Risposta negativa dal server QOR\r\n").size());
    ExpectLog(0, "AddParcel", "-1", message);
}

TEST_F(OperationsTest, CreaWithTheCourierUnreachableRecordsTheConnectionError)
{
    const std::int32_t port = Courier.Port();
    Courier.Stop();
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << message;
    EXPECT_NE(message.find(std::to_string(port)), std::string::npos) << message;
    ExpectLog(0, "AddParcel", "-1", message, false);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
}

TEST_F(OperationsTest, CreaWithDifferentShipmentNumbersSavesNothing)
{
    const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = AcceptedAddParcel({123, 124}), .Method = "POST"});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    ExpectOutcome(call, "-1", "Numeri spedizione differenti assegnati da QOR ai colli");
    ExpectLog(0, "AddParcel", "0", "OK");
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
    for (const TRow& row : Parcels(testata)) EXPECT_EQ(row.at("INVIO_DATAORA"), std::nullopt);
}

TEST_F(OperationsTest, AnErrorAnswerWithoutDescriptionIsNotTakenOver)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer(
        {.Body = SoapAnswer("AddParcel", "<DescrizioneErrore xmlns=\"\"></DescrizioneErrore>"), .Method = "POST"});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    ExpectLog(0, "AddParcel", "-1", message);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
}

// A courier text longer than the message columns: the outcome and the log row
// are written all the same, the message cut to the columns' length.
TEST_F(OperationsTest, ALongCourierTextIsCutToTheMessageColumns)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    std::string reason;
    while (reason.size() < 5000) reason += "Servizio non disponibile è ";
    Courier.QueueAnswer({.Status = 500,
                         .Body = "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>"
                                 "<soap:Fault><faultcode>soap:Server</faultcode><faultstring>" +
                                 reason + "</faultstring></soap:Fault></soap:Body></soap:Envelope>",
                         .Method = "POST"});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << message.substr(0, 200);
    EXPECT_NE(message.find("Servizio non disponibile è Servizio"), std::string::npos);
    EXPECT_EQ(Utf16Length(message), 4000u);  // VARCHAR(4000), every character here one UTF-16 unit
    ExpectLog(0, "AddParcel", "-1", message, false);
}

TEST_F(OperationsTest, ASaveFailureAfterAnAcceptedAnswerKeepsTheLogRowOk)
{
    const std::int32_t testata = AddShipment();
    Db.Exec("ALTER TABLE QORITA_RIGHE DROP ETICHETTA");
    Db.Exec("ALTER TABLE QORITA_RIGHE ADD ETICHETTA VARCHAR(10)");  // a label will not fit
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Fallito aggiornamento QORITA_RIGHE:\r\n", 0), 0u) << message;
    EXPECT_NE(message.find("truncation"), std::string::npos) << message;
    ExpectLog(0, "AddParcel", "0", "OK");
    // Header and parcels are taken over together: the header's new number went
    // back with the parcel that could not be written.
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
    for (const TRow& row : Parcels(testata)) {
        EXPECT_EQ(row.at("INVIO_DATAORA"), std::nullopt);
        EXPECT_EQ(row.at("CONTATOREPROGRESSIVO"), std::nullopt);
    }
}

}  // namespace
}  // namespace qorita::test
