// Finding the endpoint, the SOAP action and the wrapper namespace in the
// service description, also through imports, and the failures of loading it.

#include "SoapFixture.h"

#include <fstream>

namespace qorita::soaptest {
namespace {

using sandbox::TScriptedAnswer;

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
    TScriptedAnswer answer;
    answer.Body = wsdl;
    Server().Serve(WsdlPath, answer);

    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              "Invalid soapAction for operation AddParcel in WSDL '" + WsdlUrl() + "'");
    EXPECT_EQ(Server().Requests().size(), 1u);
}

// A port type LabelsPortType for the three operations, whose input messages
// "<operation>In" hold AParts; "{op}" in AParts stands for the operation name
// and AMessageAttributes go on each message element.
std::string PortTypeAndMessages(const std::string& AParts, const std::string& AMessageAttributes = "",
                                const std::string& APortType = "LabelsPortType")
{
    std::string portType = "<wsdl:portType name=\"" + APortType + "\">";
    std::string messages;
    for (const std::string operation : {"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"}) {
        portType += "<wsdl:operation name=\"" + operation + "\"><wsdl:input message=\"tns:" + APortType + operation +
                    "In\"/><wsdl:output message=\"tns:" + APortType + operation + "Out\"/></wsdl:operation>";
        std::string parts = AParts;
        for (auto at = parts.find("{op}"); at != std::string::npos; at = parts.find("{op}"))
            parts.replace(at, 4, operation);
        messages += "<wsdl:message name=\"" + APortType + operation + "In\"" + AMessageAttributes + ">" + parts +
                    "</wsdl:message>\n";
    }
    return messages + portType + "</wsdl:portType>\n";
}

TEST_F(TSoapTest, WrapperNamespaceFromTheBodyOrTheElementOfTheInputMessage)
{
    const std::string builtIn = "https://labelservice.example/";
    const std::string elementPart = "<wsdl:part name=\"parameters\" element=\"lbl:{op}\"/>";
    // A SOAP 1.2 binding of its own port type, listed first, whose namespaces must not be taken.
    const std::string soap12 =
        PortTypeAndMessages("<wsdl:part name=\"parameters\" element=\"w12:{op}\"/>", " xmlns:w12=\"urn:wrong:12\"",
                            "Labels12PortType") +
        "<wsdl:binding name=\"LabelsSoap12\" type=\"tns:Labels12PortType\"><soap12:binding "
        "transport=\"http://schemas.xmlsoap.org/soap/http\"/><wsdl:operation name=\"AddParcel\"><soap12:operation "
        "soapAction=\"urn:wrong:12/AddParcel\"/><wsdl:input><soap12:body use=\"literal\" namespace=\"urn:wrong:12\"/>"
        "</wsdl:input></wsdl:operation></wsdl:binding>\n";
    struct TCase {
        const char* Name;
        TWsdlOptions Wsdl;
        std::string Expected;
    };
    const std::vector<TCase> cases = {
        {"the body's namespace comes first",
         {.Declarations = " xmlns:lbl=\"urn:test:types\"", .Definitions = PortTypeAndMessages(elementPart)},
         "urn:test:labels/"},
        {"element of the input part, prefix declared on the definitions",
         {.WrapperNamespace = std::nullopt,
          .Declarations = " xmlns:lbl=\"urn:test:types\"",
          .Definitions = PortTypeAndMessages(elementPart)},
         "urn:test:types"},
        {"an empty body namespace counts as none",
         {.WrapperNamespace = "",
          .Declarations = " xmlns:lbl=\"urn:test:types\"",
          .Definitions = PortTypeAndMessages(elementPart)},
         "urn:test:types"},
        {"prefix declared again on the message",
         {.WrapperNamespace = std::nullopt,
          .Declarations = " xmlns:lbl=\"urn:wrong:outer\"",
          .Definitions = PortTypeAndMessages(elementPart, " xmlns:lbl=\"urn:test:inner\"")},
         "urn:test:inner"},
        {"prefix declared on the part itself",
         {.WrapperNamespace = std::nullopt,
          .Definitions =
              PortTypeAndMessages("<wsdl:part xmlns:p=\"urn:test:part\" name=\"parameters\" element=\"p:{op}\"/>")},
         "urn:test:part"},
        {"unprefixed element in the default namespace",
         {.WrapperNamespace = std::nullopt,
          .Definitions =
              PortTypeAndMessages("<wsdl:part name=\"parameters\" element=\"{op}\"/>", " xmlns=\"urn:test:default\"")},
         "urn:test:default"},
        {"the part the body lists",
         {.WrapperNamespace = std::nullopt,
          .BodyAttributes = " parts=\"body\"",
          .Declarations = " xmlns:lbl=\"urn:test:types\" xmlns:hdr=\"urn:test:header\"",
          .Definitions = PortTypeAndMessages("<wsdl:part name=\"credentials\" element=\"hdr:Credentials\"/>"
                                             "<wsdl:part name=\"body\" element=\"lbl:{op}\"/>")},
         "urn:test:types"},
        {"SOAP 1.2 binding and port listed first",
         {.WrapperNamespace = std::nullopt,
          .Declarations = " xmlns:lbl=\"urn:test:types\"",
          .Definitions = soap12 + PortTypeAndMessages(elementPart)},
         "urn:test:types"},
        {"a part with a type and no element",
         {.WrapperNamespace = std::nullopt,
          .Declarations = " xmlns:s=\"http://www.w3.org/2001/XMLSchema\"",
          .Definitions = PortTypeAndMessages("<wsdl:part name=\"parameters\" type=\"s:string\"/>")},
         builtIn},
        {"an element whose prefix is declared nowhere",
         {.WrapperNamespace = std::nullopt, .Definitions = PortTypeAndMessages(elementPart)},
         builtIn},
        {"no port type", {.WrapperNamespace = std::nullopt}, builtIn},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ServeWsdl(c.Wsdl);
        EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));
        EXPECT_EQ(Markup(Proxy()->AddParcel("<Info/>")), "<Esito>0</Esito>");
        const auto requests = Server().Requests();
        ASSERT_FALSE(requests.empty());
        EXPECT_NE(requests.back().Body.find("<SOAP-ENV:Body><AddParcel xmlns=\"" + c.Expected + "\"><XMLInfoParcel>"),
                  std::string::npos)
            << requests.back().Body;
        // The action and the endpoint still come from the SOAP 1.1 binding and port.
        EXPECT_EQ(requests.back().Header("SOAPAction"), "urn:test:labels/action/AddParcel");
        EXPECT_EQ(requests.back().Target, EndpointPath);
    }
}

TEST_F(TSoapTest, WrapperElementFoundThroughAnImportedDescription)
{
    // The binding's port type and its messages live in an imported description.
    const std::string wsdl =
        TestWsdl({.Endpoint = EndpointUrl(),
                  .WrapperNamespace = std::nullopt,
                  .Definitions = "<wsdl:import namespace=\"urn:test:labels\" location=\"parts/types.wsdl\"/>\n"});
    TScriptedAnswer main;
    main.Body = wsdl;
    Server().Serve(WsdlPath, main);
    TScriptedAnswer types;
    types.Body =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" xmlns:tns=\"urn:test:labels\""
        " xmlns:lbl=\"urn:test:imported\" targetNamespace=\"urn:test:labels\">" +
        PortTypeAndMessages("<wsdl:part name=\"parameters\" element=\"lbl:{op}\"/>") + "</wsdl:definitions>";
    Server().Serve("/parts/types.wsdl", types);
    EnqueueAnswer(ResultEnvelope("CloseWorkDayByShipmentNumber", "<Esito>0</Esito>"));

    EXPECT_EQ(Proxy()->CloseWorkDayByShipmentNumber("<Info/>"), "<Esito>0</Esito>");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].Target, "/parts/types.wsdl");
    EXPECT_NE(requests[2].Body.find("<CloseWorkDayByShipmentNumber xmlns=\"urn:test:imported\"><_xmlRequest>"),
              std::string::npos)
        << requests[2].Body;
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
        TScriptedAnswer answer;
        answer.Status = c.Status;
        answer.Body = c.Body;
        answer.Headers = {{"Location", EndpointUrl()}};
        Server().Serve(WsdlPath, answer);
        EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }), LoadError(WsdlUrl(), c.Inner));
    }
    // Nothing was posted, and the redirect was not followed.
    for (const auto& request : Server().Requests()) EXPECT_EQ(request.Target, "/zanwebservice.asmx?WSDL");
}

TEST_F(TSoapTest, BindingAndServiceFoundInImportedDescriptions)
{
    // main.wsdl -> parts/middle.wsdl (relative) -> ../main.wsdl again (a cycle)
    // and -> binding.wsdl, which holds the binding and the service.
    const std::string base = Server().BaseUrl();
    TScriptedAnswer main;
    main.Body =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" targetNamespace=\"urn:test:labels\">"
        "<wsdl:import namespace=\"urn:test:labels\" location=\"parts/middle.wsdl\"/></wsdl:definitions>";
    Server().Serve("/main.wsdl", main);
    TScriptedAnswer middle;
    middle.Body =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" targetNamespace=\"urn:x\">"
        "<wsdl:import location=\"../main.wsdl\"/><wsdl:import location=\"binding.wsdl\"/>"
        "</wsdl:definitions>";
    Server().Serve("/parts/middle.wsdl", middle);
    TScriptedAnswer binding;
    binding.Body = TestWsdl({.Endpoint = EndpointUrl()});
    Server().Serve("/parts/binding.wsdl", binding);
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));

    EXPECT_EQ(Markup(Client({base + "/main.wsdl", TrustedCertificates().CaCertificate.string()})->AddParcel("<Info/>")),
              "<Esito>0</Esito>");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[1].Target, "/parts/middle.wsdl");
    EXPECT_EQ(requests[2].Target, "/parts/binding.wsdl");
    EXPECT_EQ(requests[3].Header("SOAPAction"), "urn:test:labels/action/AddParcel");
}

TEST_F(TSoapTest, RemoteDescriptionMayNotImportLocalFiles)
{
    TScriptedAnswer main;
    main.Body =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\">"
        "<wsdl:import location=\"file:///etc/hostname\"/></wsdl:definitions>";
    Server().Serve(WsdlPath, main);

    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              LoadError("file:///etc/hostname", "Import location 'file:///etc/hostname' is not an http(s) URL"));
}

// The requests carry the courier password: whatever the description says,
// nothing goes out over plain http, and nothing is fetched over it.
TEST_F(TSoapTest, OnlyHttpsIsUsedForTheDescriptionItsImportsAndTheEndpoint)
{
    std::string plainEndpoint = EndpointUrl();
    plainEndpoint.replace(0, std::string("https").size(), "http");
    std::string plainWsdl = WsdlUrl();
    plainWsdl.replace(0, std::string("https").size(), "http");
    const std::string refusedEndpoint =
        "The endpoint '" + plainEndpoint + "' named by WSDL '%s' is not an https location: nothing was sent";
    const auto named = [&](std::string AText, const std::string& ALocation) {
        return AText.replace(AText.find("%s"), 2, ALocation);
    };

    ServeWsdl({.Endpoint = plainEndpoint});
    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }), named(refusedEndpoint, WsdlUrl()));
    EXPECT_EQ(Server().Requests().size(), 1u);  // the description only

    const auto file = ScratchFolder() / "plain-endpoint.wsdl";
    std::ofstream(file) << TestWsdl({.Endpoint = plainEndpoint});
    EXPECT_EQ(ErrorOf([&] {
                  labelservice::TLabelServiceSoap({file.string(), ""}).AddParcel("<Info/>");
              }),
              named(refusedEndpoint, file.string()));

    EXPECT_EQ(ErrorOf([&] {
                  labelservice::TLabelServiceSoap({plainWsdl, ""}).AddParcel("<Info/>");
              }),
              LoadError(plainWsdl, "not an https location: the description must come over verified TLS"));

    TScriptedAnswer importing;
    importing.Body =
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\">"
        "<wsdl:import location=\"" +
        plainWsdl + "\"/></wsdl:definitions>";
    Server().Serve(WsdlPath, importing);
    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              LoadError(plainWsdl, "not an https location: the description must come over verified TLS"));
    EXPECT_EQ(Server().Requests().size(), 2u);  // one more description, nothing of plain http
}

TEST_F(TSoapTest, LocalDescriptionFileWithBlanksAroundItsName)
{
    const auto file = ScratchFolder() / "local-description.wsdl";
    std::ofstream(file) << TestWsdl({.Endpoint = EndpointUrl()});
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));

    EXPECT_EQ(
        Markup(
            Client({"  " + file.string() + " \t", TrustedCertificates().CaCertificate.string()})->AddParcel("<Info/>")),
        "<Esito>0</Esito>");
    ASSERT_EQ(Server().Requests().size(), 1u);
    EXPECT_EQ(Server().Requests()[0].Method, "POST");

    EXPECT_EQ(ErrorOf([&] {
                  Client({file.string() + ".missing", ""})->AddParcel("x");
              }),
              LoadError(file.string() + ".missing", "Cannot open file '" + file.string() + ".missing'"));
}

// Up to sixteen descriptions are held while a call is prepared: each is
// refused well before the answer's limit.
TEST_F(TSoapTest, DescriptionsAreCappedFarBelowAnswers)
{
    const std::string large = TestWsdl({.Endpoint = EndpointUrl()}) + std::string(2 * 1024 * 1024, ' ');
    TScriptedAnswer answer;
    answer.Body = large;
    Server().Serve(WsdlPath, answer);
    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              LoadError(WsdlUrl(), "Answer refused: larger than the limit of 2097152 bytes"));

    const std::filesystem::path file = ScratchFolder() / "large.wsdl";
    std::ofstream(file, std::ios::binary) << large;
    labelservice::TServiceSettings settings = Settings();
    settings.ServiceUrl = file.string();
    EXPECT_EQ(ErrorOf([&] { labelservice::TLabelServiceSoap(settings).AddParcel("<Info/>"); }),
              LoadError(file.string(), "File '" + file.string() + "' refused: larger than the limit of 2097152 bytes"));
}

}  // namespace
}  // namespace qorita::soaptest
