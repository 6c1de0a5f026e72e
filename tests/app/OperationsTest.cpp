// The four operations end to end: the real binary, a real embedded database and
// the sandbox courier over HTTPS on loopback.
#include "CallFixture.h"
#include "Envelope.h"
#include "SandboxCourier.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qorita::test {
namespace {

using sandbox::TScriptedAnswer;
using sandbox::TShipmentState;

std::string ReadFile(const std::string& APath)
{
    std::ifstream file(APath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}


sandbox::TSandboxOptions CourierOptions(sandbox::TWsdlStyle AStyle)
{
    sandbox::TSandboxOptions options;
    options.WsdlStyle = AStyle;
    return options;
}

class OperationsTest : public CallFixture {
protected:
    explicit OperationsTest(sandbox::TWsdlStyle AStyle = sandbox::TWsdlStyle::BodyNamespace)
        : Courier(CourierOptions(AStyle))
    {
    }

    void SetUp() override
    {
        Courier.Start();
        SetParameters(Courier.WsdlUrl(), Courier.CaFile().string());
    }

    // Checks a log row and its two archived files; returns the row.
    TRow ExpectLog(std::size_t AIndex, const std::string& AOperazione, const std::string& ACodice,
                   const std::string& AMessaggio, bool AWithResponse = true, const std::string& AOperatore = "42")
    {
        const auto rows = LogRows();
        EXPECT_GT(rows.size(), AIndex);
        if (rows.size() <= AIndex) return {};
        const TRow& row = rows[AIndex];
        EXPECT_EQ(row.at("OPERAZIONE"), AOperazione);
        EXPECT_EQ(row.at("ESITO_CODICE"), ACodice);
        EXPECT_EQ(row.at("ESITO_MESSAGGIO"), AMessaggio);
        EXPECT_EQ(row.at("OPERATORE"), AOperatore);
        // Both files of one exchange carry the log record's stamp.
        const std::string stamp = row.at("DATAORA").value_or("").substr(0, 19);
        std::string compact;
        for (char c : stamp) {
            if (c >= '0' && c <= '9') compact += c;
        }
        char id[16];
        std::snprintf(id, sizeof id, "%08d", std::stoi(row.at("TESTATA").value_or("0")));
        const std::string prefix = ExchangeDir + "/" + id + "_" + compact + "_" + AOperazione;
        EXPECT_EQ(row.at("FILEXML_REQUEST"), prefix + "Request.xml");
        EXPECT_TRUE(std::filesystem::exists(prefix + "Request.xml"));
        if (AWithResponse) {
            EXPECT_EQ(row.at("FILEXML_RESPONSE"), prefix + "Response.xml");
            EXPECT_TRUE(std::filesystem::exists(prefix + "Response.xml"));
        } else {
            EXPECT_EQ(row.at("FILEXML_RESPONSE"), std::nullopt);
        }
        return row;
    }

    void ExpectOutcome(std::int32_t ACall, const std::string& ACodice, const std::string& AMessaggio)
    {
        EXPECT_EQ(CallRow(ACall).at("ESITO_CODICE"), ACodice);
        EXPECT_EQ(CallRow(ACall).at("ESITO_MESSAGGIO"), AMessaggio);
    }

    sandbox::TSandboxCourier Courier;
};

// The main path of each operation, against each style of service description:
// the courier refuses a wrapper element outside the namespace its description
// gives, so each passes only when the namespace was read from the description.
class OperationsByStyleTest : public OperationsTest, public ::testing::WithParamInterface<sandbox::TWsdlStyle> {
protected:
    OperationsByStyleTest() : OperationsTest(GetParam()) {}

    // Whether the last request the courier received wraps AOperation in the
    // namespace of this style.
    bool LastWrapperInStyleNamespace(const std::string& AOperation) const
    {
        const auto requests = Courier.Requests();
        return !requests.empty() &&
               requests.back().Body.find("<" + AOperation + " xmlns=\"" +
                                         std::string(sandbox::WrapperNamespaceOf(GetParam())) + "\">") !=
                   std::string::npos;
    }
};

INSTANTIATE_TEST_SUITE_P(Descriptions, OperationsByStyleTest,
                         ::testing::Values(sandbox::TWsdlStyle::BodyNamespace, sandbox::TWsdlStyle::SchemaElement),
                         [](const ::testing::TestParamInfo<sandbox::TWsdlStyle>& AInfo) {
                             return AInfo.param == sandbox::TWsdlStyle::SchemaElement ? "SchemaElement"
                                                                                      : "BodyNamespace";
                         });

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
    EXPECT_NE(ReadFile(*log.at("FILEXML_REQUEST")).find("<SedeQor>MI</SedeQor><CodiceClienteQor>1234</CodiceClienteQor>"
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
    Courier.QueueAnswer({.Body = SoapAnswer("AddParcel", "<DescrizioneErrore xmlns=\"\"></DescrizioneErrore>"),
                         .Method = "POST"});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    ExpectLog(0, "AddParcel", "-1", message);
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
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
    // The header was written before the parcels, in the same transaction.
    EXPECT_NE(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
}

TEST_F(OperationsTest, ALogRowThatCannotBeWrittenDoesNotStopTheRun)
{
    Db.Exec("ALTER TABLE QORITA_LOG ADD CONSTRAINT NO_LOG CHECK (ID < 0)");
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    const TRunResult result = Run("Crea", call);
    EXPECT_EQ(result.ExitCode, 0);
    EXPECT_EQ(result.Out.rfind("(Errore non bloccante) Fallita scrittura QORITA_LOG:\r\n", 0), 0u) << result.Out;
    EXPECT_NE(result.Out.find("NO_LOG"), std::string::npos);
    ExpectOutcome(call, "0", "OK");
    EXPECT_NE(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);
    EXPECT_TRUE(LogRows().empty());
}

TEST_F(OperationsTest, AnExchangeFolderThatCannotBeWrittenStillExchanges)
{
    // /proc is a folder nobody can create files in, not even root.
    Db.Exec("UPDATE TABX SET TESTO='/proc' WHERE NOME='QORITA_RequestResponseDir'");
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const auto rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("FILEXML_REQUEST"), std::nullopt);
    EXPECT_EQ(rows[0].at("FILEXML_RESPONSE"), std::nullopt);
    EXPECT_EQ(Courier.Shipments().size(), 1u);
}

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
    EXPECT_NE(ReadFile(*LogRows().at(0).at("FILEXML_REQUEST")).find(
                  "<NumeroDiSpedizioneQORDaConfermare>0</NumeroDiSpedizioneQORDaConfermare>"),
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

TEST_P(OperationsByStyleTest, EliminaDeletesAndKeepsTheSendData)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(testata)).ExitCode, 0);
    const TRow sent = Header(testata);
    const std::int32_t call = AddCall(testata, 44);
    EXPECT_EQ(Run("Elimina", call).ExitCode, 0);
    ExpectOutcome(call, "0", "OK");
    const TRow log = ExpectLog(1, "DeleteSped", "0", "OK", true, "44");
    const TRow header = Header(testata);
    EXPECT_EQ(header.at("STATUS"), "ELIMINATA");
    EXPECT_EQ(header.at("ELIMINAZIONE_DATAORA"), log.at("DATAORA"));
    EXPECT_EQ(header.at("ELIMINAZIONE_OPERATORE"), "44");
    EXPECT_EQ(header.at("NUMEROSPEDIZIONE"), sent.at("NUMEROSPEDIZIONE"));
    EXPECT_NE(Parcels(testata).at(0).at("INVIO_DATAORA"), std::nullopt);
    EXPECT_EQ(Courier.Shipments().at(0).State, TShipmentState::Eliminata);
    EXPECT_TRUE(LastWrapperInStyleNamespace("DeleteSped"));

    // Deleting again: the courier no longer knows it, which counts as deleted.
    const std::int32_t again = AddCall(testata);
    EXPECT_EQ(Run("Elimina", again).ExitCode, 0);
    ExpectOutcome(again, "0", "OK");
    // A deleted shipment still counts as sent.
    const std::int32_t crea = AddCall(testata);
    EXPECT_EQ(Run("Crea", crea).ExitCode, 0);
    ExpectOutcome(crea, "1", "Spedizione già creata");
}

// Every archived request shows a fixed mask for the courier password, while
// the courier received the password itself; apart from the mask the archived
// file is what was sent.
TEST_P(OperationsByStyleTest, ArchivedRequestsMaskThePasswordTheCourierReceived)
{
    const std::string password = "<PasswordClienteQor>sandbox</PasswordClienteQor>";
    const std::string masked = "<PasswordClienteQor>********</PasswordClienteQor>";
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const std::int32_t confirmed = AddShipment();
    EXPECT_EQ(Run("CreaConferma", AddCall(confirmed)).ExitCode, 0);
    const std::int32_t deleted = AddShipment();
    EXPECT_EQ(Run("Crea", AddCall(deleted)).ExitCode, 0);
    EXPECT_EQ(Run("Elimina", AddCall(deleted)).ExitCode, 0);

    std::vector<sandbox::TSoapCall> received;
    for (const sandbox::TReceivedRequest& request : Courier.Requests()) {
        if (request.Method != "POST") continue;
        sandbox::TSoapFault fault;
        received.push_back(sandbox::ParseSoapCall(request.Body, sandbox::WrapperNamespaceOf(GetParam()), fault));
    }
    const auto rows = LogRows();
    ASSERT_EQ(rows.size(), 4u);
    ASSERT_EQ(received.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const sandbox::TSoapCall& call = received[i];
        SCOPED_TRACE(call.Operation);
        ASSERT_EQ(rows[i].at("ESITO_CODICE"), "0");
        const std::string archived = ReadFile(rows[i].at("FILEXML_REQUEST").value_or(""));
        EXPECT_NE(archived.find(masked), std::string::npos) << archived;
        EXPECT_EQ(archived.find(">sandbox<"), std::string::npos) << archived;
        std::string sent;
        if (call.Operation == "DeleteSped") {
            EXPECT_EQ(call.Parameter("PasswordClienteQor"), "sandbox");
            // Sent as four parameters, archived as the request document.
            sent = "<DeleteSped><SedeQor>" + call.Parameter("SedeQor") + "</SedeQor><CodiceClienteQor>" +
                   call.Parameter("CodiceClienteQor") + "</CodiceClienteQor>" + password + "<NumSpedizione>" +
                   call.Parameter("NumSpedizione") + "</NumSpedizione></DeleteSped>";
        } else {
            sent = call.Parameter(call.Operation == "AddParcel" ? "XMLInfoParcel" : "_xmlRequest");
        }
        const std::size_t at = sent.find(password);
        ASSERT_NE(at, std::string::npos) << sent;
        EXPECT_EQ(archived, declaration + sent.replace(at, password.size(), masked) + "\n");
    }
    // No response file shows it either.
    for (const TRow& row : rows) {
        EXPECT_EQ(ReadFile(row.at("FILEXML_RESPONSE").value_or("")).find(">sandbox<"), std::string::npos);
    }
}

TEST_F(OperationsTest, EliminaRefusedByTheCourierChangesNothing)
{
    const std::int32_t testata = AddShipment();
    EXPECT_EQ(Run("CreaConferma", AddCall(testata)).ExitCode, 0);
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    EXPECT_EQ(Run("Elimina", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(message.rfind("Risposta negativa dal server QOR\r\n", 0), 0u) << message;
    ExpectLog(2, "DeleteSped", "-1", message);
    EXPECT_EQ(Header(testata), before);
}

}  // namespace
}  // namespace qorita::test
