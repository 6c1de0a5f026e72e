// Finding the endpoint, the SOAP action and the wrapper namespace in the
// service description, also through imports, and the failures of loading it.

#include "SoapFixture.h"

#include <fstream>

namespace qorita::soaptest {
namespace {

using testsupport::TAnswer;

std::string LoadError(const std::string& ALocation, const std::string& AInner)
{
    return "Unable to load WSDL File/Location: " + ALocation + ".  Error [" + AInner + "]";
}

TEST_F(TSoapTest, DescriptionWithoutTheServiceOrPortHasNoEndpoint)
{
    // The decoy service has a port of the right name: it must not be taken.
    ServeWsdl({.Service = false});

    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              "Unable to retrieve the URL endpoint for Service/Port 'ZanWebService'/'ZanWebServiceSoap' from WSDL '" +
                  WsdlUrl() + "'");
    ASSERT_EQ(Server().Requests().size(), 1u);
}

TEST_F(TSoapTest, PortWithoutBindingFallsBackToServiceNamespaceAndOperationName)
{
    ServeWsdl({.Binding = false});
    EnqueueAnswer(ResultEnvelope("DeleteSped", "<Esito>0</Esito>"));

    Proxy()->DeleteSped("MI", "1", "p", "2");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("SOAPAction"), "https://labelservice.example/DeleteSped");
    EXPECT_NE(requests[1].Body.find("<DeleteSped xmlns=\"https://labelservice.example/\">"), std::string::npos);
}

TEST_F(TSoapTest, SoapActionWithALineBreakIsRefused)
{
    std::string wsdl = TestWsdl({.Endpoint = EndpointUrl()});
    const std::string action = "urn:test:labels/action/AddParcel";
    wsdl.replace(wsdl.find(action), action.size(), "x&#13;&#10;X-Injected: 1");
    TAnswer answer;
    answer.Body = wsdl;
    Server().Serve(WsdlPath, answer);

    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              "Invalid soapAction for operation AddParcel in WSDL '" + WsdlUrl() + "'");
    EXPECT_EQ(Server().Requests().size(), 1u);
}

TEST_F(TSoapTest, DescriptionLoadFailures)
{
    struct TCase {
        const char* Name;
        int Status;
        std::string Body;
        std::string Inner;
    };
    const std::vector<TCase> cases = {
        {"not found", 404, "gone", "Not Found (404) - '" + WsdlUrl() + "'"},
        {"redirect not followed", 302, "", "Found (302) - '" + WsdlUrl() + "'"},
        {"empty", 200, "", "Empty document"},
        {"not well-formed", 200, "<a>\n<b>\n</a>\n",
         "Opening and ending tag mismatch: b line 2 and a\r\nLine: 3\r\n</a>"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TAnswer answer;
        answer.Status = c.Status;
        answer.Body = c.Body;
        answer.Headers = {{"Location", EndpointUrl()}};
        Server().Serve(WsdlPath, answer);
        EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }), LoadError(WsdlUrl(), c.Inner));
    }
    // Nothing was posted, and the redirect was not followed.
    for (const auto& request : Server().Requests())
        EXPECT_EQ(request.Target, "/zanwebservice.asmx?WSDL");
}

TEST_F(TSoapTest, BindingAndServiceFoundInImportedDescriptions)
{
    // main.wsdl -> parts/middle.wsdl (relative) -> ../main.wsdl again (a cycle)
    // and -> binding.wsdl, which holds the binding and the service.
    const std::string base = Server().BaseUrl();
    TAnswer main;
    main.Body = "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" targetNamespace=\"urn:test:labels\">"
                "<wsdl:import namespace=\"urn:test:labels\" location=\"parts/middle.wsdl\"/></wsdl:definitions>";
    Server().Serve("/main.wsdl", main);
    TAnswer middle;
    middle.Body = "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" targetNamespace=\"urn:x\">"
                  "<wsdl:import location=\"../main.wsdl\"/><wsdl:import location=\"binding.wsdl\"/>"
                  "</wsdl:definitions>";
    Server().Serve("/parts/middle.wsdl", middle);
    TAnswer binding;
    binding.Body = TestWsdl({.Endpoint = EndpointUrl()});
    Server().Serve("/parts/binding.wsdl", binding);
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));

    EXPECT_EQ(labelservice::GetLabelServiceSoap({base + "/main.wsdl", TrustedCertificates().CaCert.string()})
                  ->AddParcel("<Info/>"),
              "<Esito>0</Esito>");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].Target, "/parts/middle.wsdl");
    EXPECT_EQ(requests[2].Target, "/parts/binding.wsdl");
    EXPECT_EQ(requests[3].Header("SOAPAction"), "urn:test:labels/action/AddParcel");
}

TEST_F(TSoapTest, RemoteDescriptionMayNotImportLocalFiles)
{
    TAnswer main;
    main.Body = "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\">"
                "<wsdl:import location=\"file:///etc/hostname\"/></wsdl:definitions>";
    Server().Serve(WsdlPath, main);

    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              LoadError("file:///etc/hostname", "Import location 'file:///etc/hostname' is not an http(s) URL"));
}

TEST_F(TSoapTest, LocalDescriptionFileWithBlanksAroundItsName)
{
    const auto file = std::filesystem::path(QORITA_TEST_CERT_DIR) / "local-description.wsdl";
    std::ofstream(file) << TestWsdl({.Endpoint = EndpointUrl()});
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));

    EXPECT_EQ(labelservice::GetLabelServiceSoap({"  " + file.string() + " \t", TrustedCertificates().CaCert.string()})
                  ->AddParcel("<Info/>"),
              "<Esito>0</Esito>");
    ASSERT_EQ(Server().Requests().size(), 1u);
    EXPECT_EQ(Server().Requests()[0].Method, "POST");

    EXPECT_EQ(ErrorOf([&] { labelservice::GetLabelServiceSoap({file.string() + ".missing", ""})->AddParcel("x"); }),
              LoadError(file.string() + ".missing", "Cannot open file '" + file.string() + ".missing'"));
}

}  // namespace
}  // namespace qorita::soaptest
