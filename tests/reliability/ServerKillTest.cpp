// The database server dies while a run holds its transaction: the run ends with
// exit code 1 and the database keeps nothing of it. The test kills the tests'
// own server, by its pid, and starts it again on the same address, so it runs
// alone (RUN_SERIAL).
#include "CallFixture.h"
#include "SandboxCourier.h"
#include "TestServer.h"

#include <chrono>

namespace qorita::test {
namespace {

class ServerKillTest : public CourierCallFixture {
protected:
    ServerKillTest() : CourierCallFixture(true) {}
};

TEST_F(ServerKillTest, AServerKilledDuringARunLeavesNothingHalfCommitted)
{
    const std::int32_t testata = AddShipment();
    const TRow before = Header(testata);
    const std::int32_t call = AddCall(testata);
    Courier.QueueAnswer({.Body = "late", .Delay = std::chrono::seconds(3), .Method = "POST"});
    TRunningQorita run(Arguments("Crea", call), {});
    ASSERT_TRUE(Courier.WaitForRequests(2, std::chrono::seconds(20)));
    // The run now holds its transaction and its locks on the server.
    KillTestServer();
    const TRunResult result = run.Wait();
    RestartTestServer();

    EXPECT_EQ(result.ExitCode, 1) << result.Out;
    EXPECT_FALSE(result.Out.empty());
    EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), std::nullopt);
    EXPECT_TRUE(LogRows().empty());
    EXPECT_EQ(Header(testata), before);
    EXPECT_EQ(Db.Scalar("SELECT COUNT(*) FROM QORITA_RIGHE WHERE INVIO_DATAORA IS NOT NULL"), "0");
}

}  // namespace
}  // namespace qorita::test
