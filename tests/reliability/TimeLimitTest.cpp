// A courier that trickles its answer never stalls; the overall limit of a
// request (QORITA_ServiceTimeout) ends the exchange, and the parcels it may
// have registered go out again with the same counters.
#include "CallFixture.h"
#include "CourierLedger.h"
#include "SandboxCourier.h"

#include <chrono>

namespace qorita::test {
namespace {

using namespace std::chrono_literals;

class TimeLimitTest : public CourierCallFixture {
protected:
};

TEST_F(TimeLimitTest, ATricklingCourierIsGivenUpAtTheLimit)
{
    Db.SetParameter("QORITA_ServiceTimeout", "2");
    const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
    const std::int32_t call = AddCall(testata);
    // About 40 minutes for the whole answer at this pace.
    Courier.QueueAnswer({.Body = "", .Method = "POST", .DefaultAnswers = true, .TrickleInterval = 1000ms});
    const auto started = std::chrono::steady_clock::now();
    const TRunResult result = Run("Crea", call);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_GE(elapsed, 2s);
    EXPECT_LT(elapsed, 10s);
    EXPECT_EQ(result.ExitCode, 0) << result.Out;
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\nRequest not completed within the overall "
                            "time limit of 2 s (QORITA_ServiceTimeout): Operation timed out after ",
                            0),
              0u)
        << message;
    const auto logs = LogRows();
    ASSERT_EQ(logs.size(), 1u);
    EXPECT_EQ(logs[0].at("ESITO_CODICE"), "-1");
    EXPECT_EQ(logs[0].at("ESITO_MESSAGGIO"), message);
    EXPECT_EQ(logs[0].at("FILEXML_RESPONSE"), std::nullopt);

    // The courier did register them: the next run gets its labels.
    EXPECT_EQ(Run("Crea", call).ExitCode, 0);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    const TLedger ledger = CompareWithCourier(Db, Courier);
    EXPECT_TRUE(ledger.Clean()) << ledger.Report();
    EXPECT_EQ(ledger.Registrations, 2);
}

// Each request within its own limit, the run as a whole is bounded too
// (QORITA_RunTimeout): past it the request under way ends, and the message
// names the run's limit.
TEST_F(TimeLimitTest, ARunIsGivenUpAtItsOwnLimit)
{
    Db.SetParameter("QORITA_ServiceTimeout", "20");
    Db.SetParameter("QORITA_RunTimeout", "2");
    const std::int32_t call = AddCall(AddShipment());
    Courier.QueueAnswer({.Body = "", .Method = "POST", .DefaultAnswers = true, .TrickleInterval = 1000ms});
    const auto started = std::chrono::steady_clock::now();
    const TRunResult result = Run("Crea", call);
    const auto elapsed = std::chrono::steady_clock::now() - started;
    EXPECT_LT(elapsed, 10s);
    EXPECT_EQ(result.ExitCode, 0) << result.Out;
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "-1");
    const std::string message = CallRow(call).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_EQ(message.rfind("Errore durante la connessione al server QOR\r\nRun not completed within the overall "
                            "time limit of 2 s (QORITA_RunTimeout): Operation timed out after ",
                            0),
              0u)
        << message;
}

}  // namespace
}  // namespace qorita::test
