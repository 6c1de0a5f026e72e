// The HTTPS client as the Windows build has it (libcurl over Schannel) against
// the sandbox courier, which the test run starts as a Linux process on
// loopback and names in QORITA_TEST_SANDBOX_PORT and QORITA_TEST_SANDBOX_CA.
// The courier's certificate is verified against the extra CA file given to
// Schannel together with the system's roots. Under Wine a certificate that
// should fail may pass, so the refusals of TLS are tested on Linux only.
#include "ErrorOf.h"
#include "labelservice/ServiceCheck.h"
#include "labelservice/http/HttpClient.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace qorita {
namespace {

class THttpsSandboxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* port = std::getenv("QORITA_TEST_SANDBOX_PORT");
        const char* ca = std::getenv("QORITA_TEST_SANDBOX_CA");
        if (port == nullptr || ca == nullptr) GTEST_SKIP() << "no sandbox courier (scripts/test.sh starts one)";
        // The certificate names localhost and 127.0.0.1; libcurl matches only
        // DNS names with Schannel and a CA file.
        FBase = std::string("https://localhost:") + port;
        FCaFile = ca;
    }
    std::string FBase;
    std::string FCaFile;
};

TEST_F(THttpsSandboxTest, GetsTheDescriptionAndPostsOverVerifiedTls)
{
    http::THttpClient client(FCaFile);
    const http::THttpResponse description = client.Get(FBase + "/zanwebservice.asmx?WSDL", {});
    EXPECT_EQ(description.StatusCode, 200);
    EXPECT_NE(description.Body.find("ZanWebService"), std::string::npos);

    // The same handle again, now a POST the courier cannot read: its answer
    // (a SOAP fault) comes back with its status.
    const http::THttpResponse fault =
        client.Post(FBase + "/zanwebservice.asmx", {{"Content-Type", "text/xml; charset=utf-8"}}, "<nessuna/>");
    EXPECT_EQ(fault.StatusCode, 500);
    EXPECT_NE(fault.Body.find("Fault"), std::string::npos) << fault.Body;
}

TEST_F(THttpsSandboxTest, TheDeploymentCheckAcceptsTheCourier)
{
    labelservice::TServiceSettings settings;
    settings.ServiceUrl = FBase + "/zanwebservice.asmx?WSDL";
    settings.CaFile = FCaFile;
    const std::string endpoint = labelservice::CheckDescription(settings);
    EXPECT_NE(endpoint.find("/zanwebservice.asmx"), std::string::npos) << endpoint;
    labelservice::CheckEndpoint(endpoint, settings);
}

TEST_F(THttpsSandboxTest, AnUnreadableCaFileIsNamed)
{
    const std::string error = test::ErrorOf([] { http::THttpClient client("Z:/nessuna/cartella/ca.pem"); });
    EXPECT_NE(error.find("Z:/nessuna/cartella/ca.pem"), std::string::npos) << error;
}

TEST_F(THttpsSandboxTest, NoServerIsATransportError)
{
    http::THttpLimits limits;
    limits.ConnectTimeout = std::chrono::milliseconds(5000);
    http::THttpClient client(FCaFile, limits);
    // Port 1 of loopback: nothing listens there.
    const std::string error = test::ErrorOf([&] { client.Get("https://localhost:1/", {}); });
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace qorita
