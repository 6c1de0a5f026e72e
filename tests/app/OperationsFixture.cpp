#include "OperationsFixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace qorita::test {
namespace {

sandbox::TSandboxOptions CourierOptions(sandbox::TWsdlStyle AStyle)
{
    sandbox::TSandboxOptions options;
    options.WsdlStyle = AStyle;
    return options;
}

}  // namespace

OperationsTest::OperationsTest(sandbox::TWsdlStyle AStyle) : CourierCallFixture(false, CourierOptions(AStyle)) {}

TRow OperationsTest::ExpectLog(std::size_t AIndex, const std::string& AOperazione, const std::string& ACodice,
                               const std::string& AMessaggio, bool AWithResponse, const std::string& AOperatore)
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

void OperationsTest::ExpectOutcome(std::int32_t ACall, const std::string& ACodice, const std::string& AMessaggio)
{
    EXPECT_EQ(CallRow(ACall).at("ESITO_CODICE"), ACodice);
    EXPECT_EQ(CallRow(ACall).at("ESITO_MESSAGGIO"), AMessaggio);
}

bool OperationsByStyleTest::LastWrapperInStyleNamespace(const std::string& AOperation) const
{
    const auto requests = Courier.Requests();
    return !requests.empty() &&
           requests.back().Body.find("<" + AOperation + " xmlns=\"" +
                                     std::string(sandbox::WrapperNamespaceOf(GetParam())) + "\">") != std::string::npos;
}

INSTANTIATE_TEST_SUITE_P(Descriptions, OperationsByStyleTest,
                         ::testing::Values(sandbox::TWsdlStyle::BodyNamespace, sandbox::TWsdlStyle::SchemaElement),
                         [](const ::testing::TestParamInfo<sandbox::TWsdlStyle>& AInfo) {
                             return AInfo.param == sandbox::TWsdlStyle::SchemaElement ? "SchemaElement"
                                                                                      : "BodyNamespace";
                         });

}  // namespace qorita::test
