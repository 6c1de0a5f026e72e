// A courier that breaks or stalls, a database that is not there, a run killed
// half-way, an archive folder that disappears: each ends with a clear outcome
// and loses nothing that was committed.
#include "CallFixture.h"
#include "LoopbackPort.h"
#include "SandboxCourier.h"

#include <chrono>
#include <filesystem>
#include <future>
#include <string>

namespace qorita::test {
namespace {

class FaultTest : public CourierCallFixture {
protected:
    FaultTest() : CourierCallFixture(true) {}

    void ExpectNothingChanged(std::int32_t ATestata, const TRow& ABefore)
    {
        EXPECT_EQ(Header(ATestata), ABefore);
        for (const TRow& parcel : Parcels(ATestata)) EXPECT_EQ(parcel.at("INVIO_DATAORA"), std::nullopt);
    }
};

TEST_F(FaultTest, ACourierDroppingTheConnectionIsAConnectionError)
{
    const std::int32_t testata = AddShipment();
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = "", .DropConnection = true, .Method = "POST"});
    const TRunResult result = Run("Crea", call);
    EXPECT_EQ(result.ExitCode, 0) << result.Out;
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << message;
    EXPECT_EQ(LogRows().at(0).at("ESITO_CODICE"), "-1");
    ExpectNothingChanged(testata, before);
}

TEST_F(FaultTest, ACourierCuttingItsAnswerShortIsAConnectionError)
{
    const std::int32_t testata = AddShipment();
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = "<?xml version=\"1.0\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/"
                                 "soap/envelope/\"><soap:Body><AddParcelResponse",
                         .Method = "POST"});
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << message;
    ExpectNothingChanged(testata, before);
}

TEST_F(FaultTest, AStalledCourierIsGivenUpAfterSixtySeconds)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = "never sent", .Delay = std::chrono::seconds(120), .Method = "POST"});
    const auto started = std::chrono::steady_clock::now();
    const TRunResult result = Run("Crea", call);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, std::chrono::seconds(59));
    EXPECT_LT(elapsed, std::chrono::seconds(90));
    EXPECT_EQ(result.ExitCode, 0);
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\n", 0), 0u) << message;
    Courier.Stop();
}

TEST_F(FaultTest, AServerThatIsDownEndsWithTheConnectionMessage)
{
    const std::int32_t call = AddCall(AddShipment());
    // Nothing listens on this port: the database server is down.
    const std::string location =
        "127.0.0.1/" + std::to_string(UnusedLoopbackPort()) + ":" + (Db.Folder() / "test.fdb").string();
    const TRunResult result = RunQorita({"-Crea", "DatabaseName=" + location, "ChiamataId=" + std::to_string(call)});
    EXPECT_EQ(result.ExitCode, 1);
    EXPECT_EQ(result.Out.rfind("Impossibile stabilire la connessione al DB " + location + "\r\n", 0), 0u) << result.Out;
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), std::nullopt);
}

TEST_F(FaultTest, ARunKilledHalfWayCommitsNothing)
{
    const std::int32_t testata = AddShipment();
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = "late", .Delay = std::chrono::seconds(30), .Method = "POST"});
    TRunningQorita run(Arguments("Crea", call), {});
    ASSERT_TRUE(Courier.WaitForRequests(2, std::chrono::seconds(20)));
    run.Kill();
    EXPECT_EQ(run.Wait().ExitCode, 128 + SIGKILL);
    Courier.Stop();
    // The counter drawn for the request is gone (generators are not
    // transactional); nothing else was written.
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), std::nullopt);
    EXPECT_TRUE(LogRows().empty());
    ExpectNothingChanged(testata, before);
    // The next run finds the rows free again.
    Courier.Start();
    Db.Exec("UPDATE TABX SET TESTO='" + Courier.WsdlUrl() + "' WHERE NOME='QORITA_ServiceUrl'");
    Db.Exec("UPDATE TABX SET TESTO='" + Courier.CaFile().string() + "' WHERE NOME='QORITA_ServiceCaFile'");
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
}

TEST_F(FaultTest, AnArchiveFolderRemovedDuringTheRunLosesOnlyTheFile)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = AcceptedAddParcel({31}), .Delay = std::chrono::milliseconds(1500), .Method = "POST"});
    auto running = std::async(std::launch::async, [&] { return Run("Crea", call); });
    ASSERT_TRUE(Courier.WaitForRequests(2, std::chrono::seconds(20)));
    std::filesystem::remove_all(ExchangeDir);
    EXPECT_EQ(running.get().ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), "31");
    const TRow log = LogRows().at(0);
    EXPECT_NE(log.at("FILEXML_REQUEST"), std::nullopt);  // written before the folder went
    EXPECT_EQ(log.at("FILEXML_RESPONSE"), std::nullopt);
}

}  // namespace
}  // namespace qorita::test
