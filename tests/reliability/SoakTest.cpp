// Crea runs killed with SIGKILL at random moments, each followed by runs of the
// same call until it has an outcome: no parcel registered twice, no label the
// courier issued missing from the database. The real program on an embedded
// database, or through the server with QORITA_TEST_DB_THROUGH_SERVER=1, as the
// normal test run does (tests/reliability/CMakeLists.txt says why).
//
// QORITA_SOAK_RUNS sets the number of killed runs (default 20; bench/soak.sh
// runs 200), QORITA_SOAK_SEED repeats a sequence of moments.
#include "CallFixture.h"
#include "CourierLedger.h"
#include "SandboxCourier.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <thread>

namespace qorita::test {
namespace {

using namespace std::chrono_literals;

int FromEnvironment(const char* AName, int ADefault)
{
    const char* value = std::getenv(AName);
    return value && *value ? std::atoi(value) : ADefault;
}

class SoakTest : public CourierCallFixture {};

TEST_F(SoakTest, RunsKilledAtRandomMomentsNeverRegisterTwiceNorLoseALabel)
{
    const int runs = FromEnvironment("QORITA_SOAK_RUNS", 20);
    const auto seed =
        static_cast<unsigned>(FromEnvironment("QORITA_SOAK_SEED", static_cast<int>(std::random_device()())));
    std::mt19937 random(seed);

    // How long a whole run takes here: the kills are spread over it.
    const std::int32_t warmUp = AddCall(AddShipment({.Parcels = {{}, {}}}));
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Run("Crea", warmUp).ExitCode, 0);
    const auto runTime =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);

    int parcels = 2;
    int killed = 0;
    int reruns = 0;
    int killedAfterCommit = 0;
    for (int i = 0; i < runs; ++i) {
        SCOPED_TRACE("run " + std::to_string(i) + ", seed " + std::to_string(seed));
        const int count = std::uniform_int_distribution<int>(1, 3)(random);
        parcels += count;
        const std::int32_t call =
            AddCall(AddShipment({.Parcels = std::vector<TParcelRow>(static_cast<std::size_t>(count))}));
        // Half of the runs are killed at any moment of the run; the other half
        // after the request reached the courier, which answers a little late,
        // so that more of them die with the answer on its way or received and
        // not yet committed.
        const bool afterSending = random() % 2 == 0;
        const auto answerDelay = std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 100)(random));
        if (afterSending) {
            Courier.QueueAnswer({.Body = "", .Delay = answerDelay, .Method = "POST", .DefaultAnswers = true});
        }
        const std::size_t received = Courier.Requests().size();
        {
            TRunningQorita run(Arguments("Crea", call), {});
            auto moment =
                std::chrono::microseconds(std::uniform_int_distribution<long long>(0, runTime.count() * 3 / 2)(random));
            if (afterSending) {
                ASSERT_TRUE(Courier.WaitForRequests(received + 2, 30s));  // the description, then AddParcel
                moment = std::chrono::microseconds(std::uniform_int_distribution<long long>(
                    0, std::chrono::microseconds(answerDelay + 300ms).count())(random));
            }
            std::this_thread::sleep_for(moment);
            run.Kill();
            const bool wasKilled = run.Wait().ExitCode == 128 + SIGKILL;
            killed += wasKilled;
            killedAfterCommit += wasKilled && CallRow(call).at("ESITO_CODICE").has_value();
        }
        Courier.ClearAnswers();
        int attempts = 0;
        while (!CallRow(call).at("ESITO_CODICE") && attempts < 5) {
            ++attempts;
            const TRunResult again = Run("Crea", call);
            EXPECT_EQ(again.ExitCode, 0) << again.Out;
        }
        reruns += attempts;
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
    }

    const TLedger ledger = CompareWithCourier(Db, Courier);
    const auto late = Db.Scalar(
        "SELECT COUNT(*) FROM QORITA_LOG WHERE ESITO_MESSAGGIO STARTING WITH "
        "'Risposta registrata in ritardo'");
    std::size_t posts = 0;
    for (const auto& request : Courier.Requests()) posts += request.Method == "POST";
    std::printf(
        "soak: %d runs (seed %u, kills spread over %lld ms), %d killed (%d after their commit), %d runs again; "
        "%zu AddParcel requests, %s answers recorded late; %s\n",
        runs, seed, static_cast<long long>(runTime.count() * 3 / 2 / 1000), killed, killedAfterCommit, reruns, posts,
        late.value_or("?").c_str(), ledger.Report().c_str());
    RecordProperty("killed", killed);
    RecordProperty("duplicates", ledger.Duplicates);
    RecordProperty("lost_labels", ledger.LostLabels);
    EXPECT_TRUE(ledger.Clean()) << ledger.Report();
    EXPECT_EQ(ledger.SentParcels, parcels);
    EXPECT_EQ(ledger.Registrations, parcels);
}

}  // namespace
}  // namespace qorita::test
