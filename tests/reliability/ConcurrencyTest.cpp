// Two runs on one shipment at the same moment, and many runs at once.
#include "CallFixture.h"
#include "SandboxCourier.h"

#include <chrono>
#include <future>
#include <set>

namespace qorita::test {
namespace {

// Concurrent processes on one database need the server.
class ConcurrencyTest : public CourierCallFixture {
protected:
    ConcurrencyTest() : CourierCallFixture(true) {}

    // Starts a Crea whose courier answer is held back, and returns once the
    // courier has the request: the run then holds its locks.
    std::future<TRunResult> StartSlowCrea(std::int32_t ACall)
    {
        Courier.QueueAnswer(
            {.Body = AcceptedAddParcel({777}), .Delay = std::chrono::milliseconds(3000), .Method = "POST"});
        auto first = std::async(std::launch::async, [this, ACall] { return Run("Crea", ACall); });
        EXPECT_TRUE(Courier.WaitForRequests(2, std::chrono::seconds(20)));  // GET + POST
        return first;
    }

    std::size_t Posts() const
    {
        std::size_t count = 0;
        for (const auto& request : Courier.Requests()) count += request.Method == "POST";
        return count;
    }
};

TEST_F(ConcurrencyTest, TheSameCallStartedTwiceTalksToTheCourierOnce)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    auto first = StartSlowCrea(call);

    const auto started = std::chrono::steady_clock::now();
    const TRunResult second = Run("Crea", call);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));  // fails at once
    EXPECT_EQ(second.ExitCode, 1);
    EXPECT_NE(second.Out.find("update conflicts with concurrent update"), std::string::npos) << second.Out;

    const TRunResult done = first.get();
    EXPECT_EQ(done.ExitCode, 0) << done.Out;
    EXPECT_EQ(Posts(), 1u);
    // The run that did the work keeps its outcome.
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "0");
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(Header(testata).at("NUMEROSPEDIZIONE"), "777");
    EXPECT_EQ(LogRows().size(), 1u);
}

TEST_F(ConcurrencyTest, TwoCallsOnOneShipmentRegisterItOnce)
{
    const std::int32_t testata = AddShipment();
    const std::int32_t call = AddCall(testata);
    const std::int32_t other = AddCall(testata);
    auto first = StartSlowCrea(call);

    const TRunResult second = Run("CreaConferma", other);
    EXPECT_EQ(second.ExitCode, 0) << second.Out;
    EXPECT_EQ(CallRow(other).at("ESITO_CODICE"), "-1");
    const std::string message = CallRow(other).at("ESITO_MESSAGGIO").value_or("");
    EXPECT_NE(message.find("update conflicts with concurrent update"), std::string::npos) << message;

    EXPECT_EQ(first.get().ExitCode, 0);
    EXPECT_EQ(Posts(), 1u);
    EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    EXPECT_EQ(LogRows().size(), 1u);
}

// Four workers, fifty calls each, on distinct shipments through the server.
TEST_F(ConcurrencyTest, ManyRunsAtOnceEachRegisterTheirShipmentOnce)
{
    constexpr int kWorkers = 4;
    constexpr int kCallsPerWorker = 50;
    std::vector<std::vector<std::pair<std::int32_t, std::int32_t>>> work(kWorkers);
    for (int w = 0; w < kWorkers; ++w) {
        for (int i = 0; i < kCallsPerWorker; ++i) {
            const std::int32_t testata = AddShipment({.Parcels = {{}, {}}});
            work[w].emplace_back(testata, AddCall(testata));
        }
    }
    std::vector<std::future<std::vector<TRunResult>>> workers;
    for (int w = 0; w < kWorkers; ++w) {
        workers.push_back(std::async(std::launch::async, [this, &work, w] {
            std::vector<TRunResult> results;
            for (const auto& [testata, call] : work[w]) results.push_back(Run("Crea", call));
            return results;
        }));
    }
    for (auto& worker : workers) {
        for (const TRunResult& result : worker.get()) EXPECT_EQ(result.ExitCode, 0) << result.Out;
    }
    const auto calls = Db.Query("SELECT ESITO_CODICE, ESITO_MESSAGGIO FROM QORITA_CHIAMATE");
    ASSERT_EQ(calls.size(), static_cast<std::size_t>(kWorkers * kCallsPerWorker));
    for (const TRow& row : calls) EXPECT_EQ(row.at("ESITO_MESSAGGIO"), "OK");
    // Every parcel registered exactly once: one courier shipment per header.
    const auto shipments = Courier.Shipments();
    EXPECT_EQ(shipments.size(), calls.size());
    std::set<std::string> numbers;
    for (const TRow& header : Db.Query("SELECT NUMEROSPEDIZIONE FROM QORITA_TESTATE")) {
        numbers.insert(header.at("NUMEROSPEDIZIONE").value_or(""));
    }
    EXPECT_EQ(numbers.size(), calls.size());
    EXPECT_EQ(Db.Scalar("SELECT COUNT(*) FROM QORITA_RIGHE WHERE INVIO_DATAORA IS NULL"), "0");
    // One log row per exchange, and no archived file missing.
    const auto logs = LogRows();
    EXPECT_EQ(logs.size(), calls.size());
    for (const TRow& log : logs) {
        EXPECT_TRUE(std::filesystem::exists(log.at("FILEXML_REQUEST").value_or("")));
        EXPECT_TRUE(std::filesystem::exists(log.at("FILEXML_RESPONSE").value_or("")));
    }
}

}  // namespace
}  // namespace qorita::test
