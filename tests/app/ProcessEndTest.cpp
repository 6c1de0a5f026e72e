// The end of a run: once its work is committed and the database detached, the
// program leaves without the database client's exit handlers. Whatever it
// wrote must be there for the next process: rows, labels, archive files and
// the counters it drew, embedded (where the engine lives in the process that
// leaves) and through the server.
#include "CallFixture.h"
#include "FileText.h"
#include "SandboxCourier.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

namespace qorita::test {
namespace {

class ProcessEndTest : public CourierCallFixture, public ::testing::WithParamInterface<bool> {
protected:
    ProcessEndTest() : CourierCallFixture(GetParam()) {}

    // Runs Crea on a new shipment of AParcels parcels, checks what the next
    // process finds of it and returns the counters it stored.
    std::vector<long> CreaAndReadBack(std::size_t AParcels)
    {
        const std::int32_t testata = AddShipment({.Parcels = std::vector<TParcelRow>(AParcels)});
        const std::int32_t call = AddCall(testata);
        const TRunResult result = Run("Crea", call);
        EXPECT_EQ(result.ExitCode, 0);
        EXPECT_EQ(result.Out, "");
        EXPECT_EQ(result.Err, "");
        EXPECT_EQ(CallRow(call).at("ESITO_CODICE"), "0");
        EXPECT_EQ(CallRow(call).at("ESITO_MESSAGGIO"), "OK");
        EXPECT_NE(Header(testata).at("NUMEROSPEDIZIONE"), std::nullopt);

        std::vector<long> counters;
        for (const TRow& parcel : Parcels(testata)) {
            EXPECT_NE(parcel.at("INVIO_DATAORA"), std::nullopt);
            const std::string label = parcel.at("ETICHETTA").value_or("");
            EXPECT_EQ(label.substr(0, 3), "^XA");
            const std::size_t end = label.rfind("^XZ");
            EXPECT_TRUE(end != std::string::npos && label.find_first_not_of("\r\n", end + 3) == std::string::npos)
                << "a label cut short";
            counters.push_back(std::stol(parcel.at("CONTATOREPROGRESSIVO").value_or("0")));
        }
        const auto logs = LogRows();
        EXPECT_FALSE(logs.empty());
        if (!logs.empty()) {
            const std::string response = ReadFile(logs.back().at("FILEXML_RESPONSE").value_or(""));
            EXPECT_EQ(std::count(response.begin(), response.end(), '\0'), 0);
            const std::size_t end = response.rfind("</InfoLabel>");
            EXPECT_TRUE(end != std::string::npos && response.substr(end) == "</InfoLabel>\n")
                << "an archive file cut short";
        }
        return counters;
    }
};

TEST_P(ProcessEndTest, TheNextProcessFindsEverythingTheRunWrote)
{
    const std::vector<long> first = CreaAndReadBack(3);
    ASSERT_EQ(first.size(), 3u);
    // The counters drawn are kept by the database, not only the rows using them.
    const long drawn =
        std::stol(Db.Scalar("SELECT GEN_ID(QORITA_RIGHE_CONTATOREPROG, 0) FROM RDB$DATABASE").value_or("0"));
    EXPECT_GE(drawn, *std::max_element(first.begin(), first.end()));

    // So a second run never draws a counter again.
    const std::vector<long> second = CreaAndReadBack(2);
    std::set<long> all(first.begin(), first.end());
    all.insert(second.begin(), second.end());
    EXPECT_EQ(all.size(), first.size() + second.size());
    EXPECT_GT(*std::min_element(second.begin(), second.end()), drawn);
}

INSTANTIATE_TEST_SUITE_P(EmbeddedAndServer, ProcessEndTest, ::testing::Values(false, true),
                         [](const auto& AInfo) { return AInfo.param ? "Server" : "Embedded"; });

}  // namespace
}  // namespace qorita::test
