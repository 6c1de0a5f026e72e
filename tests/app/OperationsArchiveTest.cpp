// What every run leaves beside the exchange: the log rows and the archived
// request and response files, even when they cannot be written.
#include "Envelope.h"
#include "OperationsFixture.h"

namespace qorita::test {
namespace {

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
    const TRunResult result = Run("Crea", call);
    EXPECT_EQ(result.ExitCode, 0);
    // Nor the journal of the exchange: said once, and the run goes on.
    EXPECT_EQ(result.Out.rfind("(Errore non bloccante) Fallita scrittura del giornale degli scambi:\r\n", 0), 0u)
        << result.Out;
    EXPECT_NE(result.Out.find("/proc/.journal"), std::string::npos) << result.Out;
    EXPECT_EQ(result.Out.find("(Errore non bloccante)", 1), std::string::npos) << result.Out;
    ExpectOutcome(call, "0", "OK");
    const auto rows = LogRows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("FILEXML_REQUEST"), std::nullopt);
    EXPECT_EQ(rows[0].at("FILEXML_RESPONSE"), std::nullopt);
    EXPECT_EQ(Courier.Shipments().size(), 1u);
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

}  // namespace
}  // namespace qorita::test
