// The sandbox over real HTTPS on 127.0.0.1, its certificate verified with its own CA.

#include "FileText.h"
#include "SandboxCourier.h"
#include "SandboxTestSupport.h"
#include "TempFolder.h"
#include "Wsdl.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace qorita::sandbox::test {
namespace {

using qorita::test::ReadFile;

const std::vector<std::string> SoapHeaders(const std::string& AOperation)
{
    return {"Content-Type: text/xml; charset=utf-8", "SOAPAction: " + SoapActionOf(AOperation), "Accept: */*"};
}

class SandboxServerTest : public ::testing::Test {
protected:
    void SetUp() override { FSandbox.Start(); }

    THttpAnswer Call(const std::string& AOperation, const std::vector<std::pair<std::string, std::string>>& AParameters)
    {
        return HttpsPost(FSandbox.EndpointUrl(), FSandbox.CaFile(), RequestEnvelope(AOperation, AParameters),
                         SoapHeaders(AOperation));
    }

    TSandboxCourier FSandbox;
};

// The first element child named ALocalName whose attribute-free identity we can
// check through the children we know; the WSDL is read with the same element tree.
const TXmlElement* FindDeep(const TXmlElement& AElement, std::string_view ALocalName)
{
    if (AElement.LocalName == ALocalName) {
        return &AElement;
    }
    for (const TXmlElement& child : AElement.Children) {
        if (const TXmlElement* found = FindDeep(child, ALocalName)) {
            return found;
        }
    }
    return nullptr;
}

TEST_F(SandboxServerTest, ServesAWsdlThatPointsAtItself)
{
    EXPECT_GT(FSandbox.Port(), 0);
    EXPECT_EQ(FSandbox.WsdlUrl(), "https://127.0.0.1:" + std::to_string(FSandbox.Port()) + "/zanwebservice.asmx?WSDL");
    const THttpAnswer answer = HttpsGet(FSandbox.WsdlUrl(), FSandbox.CaFile());
    ASSERT_EQ(answer.Error, "");
    EXPECT_EQ(answer.Status, 200);
    EXPECT_EQ(answer.ContentType, "text/xml; charset=utf-8");
    const TXmlElement wsdl = ParseXml(answer.Body);
    EXPECT_EQ(wsdl.LocalName, "definitions");
    EXPECT_EQ(wsdl.Namespace, "http://schemas.xmlsoap.org/wsdl/");

    // The attributes that a WSDL reader resolves, checked in the text itself.
    const std::string& text = answer.Body;
    EXPECT_NE(text.find("<wsdl:service name=\"ZanWebService\"><wsdl:port name=\"ZanWebServiceSoap\" "
                        "binding=\"tns:ZanWebServiceSoap\"><soap:address location=\"" +
                        FSandbox.EndpointUrl() + "\"/>"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("<wsdl:binding name=\"ZanWebServiceSoap\" type=\"tns:ZanWebServiceSoap\">"), std::string::npos);
    for (const std::string operation : {"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"}) {
        SCOPED_TRACE(operation);
        EXPECT_NE(text.find("<wsdl:operation name=\"" + operation + "\"><soap:operation soapAction=\"" +
                            std::string(ServiceNamespace) + operation +
                            "\" style=\"document\"/><wsdl:input><soap:body use=\"literal\" namespace=\"" +
                            std::string(ServiceNamespace) + "\"/>"),
                  std::string::npos);
    }
    EXPECT_NE(text.find("name=\"_xmlRequest\""), std::string::npos);
    EXPECT_NE(text.find("xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\""), std::string::npos);
    ASSERT_NE(FindDeep(wsdl, "address"), nullptr);
    EXPECT_EQ(FindDeep(wsdl, "address")->Namespace, "http://schemas.xmlsoap.org/wsdl/soap/");
}

TEST_F(SandboxServerTest, CertificateIsValidForLocalhostTooAndTheWsdlFollowsTheName)
{
    const std::string url = "https://localhost:" + std::to_string(FSandbox.Port()) + "/ZanWebService.asmx?wsdl";
    const THttpAnswer answer = HttpsGet(url, FSandbox.CaFile());
    ASSERT_EQ(answer.Error, "");
    EXPECT_EQ(answer.Status, 200);
    EXPECT_NE(
        answer.Body.find("location=\"https://localhost:" + std::to_string(FSandbox.Port()) + "/zanwebservice.asmx\""),
        std::string::npos);
}

TEST_F(SandboxServerTest, AnotherAuthorityIsNotTrusted)
{
    TSandboxCourier other;
    other.Start();
    const THttpAnswer answer = HttpsGet(FSandbox.WsdlUrl(), other.CaFile());
    EXPECT_NE(answer.Error, "");
    EXPECT_EQ(answer.Status, 0);
}

TEST_F(SandboxServerTest, RegistersConfirmsAndDeletesOverSoap)
{
    TParcelValues pdf;
    pdf.GeneraPdf = "4";
    pdf.ContatoreProgressivo = "102";  // every parcel has a counter of its own
    const THttpAnswer added = Call("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}, pdf})}});
    ASSERT_EQ(added.Error, "");
    EXPECT_EQ(added.Status, 200);
    EXPECT_EQ(added.ContentType, "text/xml; charset=utf-8");
    const TXmlElement infoLabel = AnswerPayload(added.Body, "AddParcel");
    ASSERT_EQ(infoLabel.LocalName, "InfoLabel");
    EXPECT_EQ(infoLabel.Namespace, "");
    ASSERT_EQ(infoLabel.Children.size(), 2u);
    const std::string number = infoLabel.Children[0].ChildText("NumeroSpedizione");
    EXPECT_EQ(infoLabel.Children[1].ChildText("NumeroSpedizione"), number);
    EXPECT_EQ(Base64Decode(infoLabel.Children[1].ChildText("PdfLabel")).rfind("%PDF-", 0), 0u);

    const auto registered = FSandbox.Shipment(std::stoi(number));
    ASSERT_TRUE(registered.has_value());
    EXPECT_EQ(registered->Parcels.size(), 2u);
    // The escaped request text arrived unchanged.
    EXPECT_EQ(registered->Parcels[0].RagioneSociale, "Rossi & Figli S.r.l.");

    const THttpAnswer confirmed = Call("CloseWorkDayByShipmentNumber", {{"_xmlRequest", ConfirmRequest({number})}});
    ASSERT_EQ(confirmed.Error, "");
    const TXmlElement result = AnswerPayload(confirmed.Body, "CloseWorkDayByShipmentNumber");
    EXPECT_EQ(result.LocalName, "CloseWorkDayByShipmentNumberResult");
    EXPECT_EQ(result.ChildText("DescrizioneErrore"), "OK");
    EXPECT_EQ(FSandbox.Shipment(std::stoi(number))->State, TShipmentState::Confermata);

    const THttpAnswer deleted = Call(
        "DeleteSped",
        {{"SedeQor", "MI"}, {"CodiceClienteQor", "123456"}, {"PasswordClienteQor", "sandbox"}, {"NumSpedizione", "0"}});
    ASSERT_EQ(deleted.Error, "");
    const TXmlElement outcome = AnswerPayload(deleted.Body, "DeleteSped");
    EXPECT_EQ(outcome.LocalName, "DescrizioneErrore");
    EXPECT_EQ(outcome.Text, "Spedizione 0 non presente");
}

TEST_F(SandboxServerTest, RecordsEveryRequestAsReceived)
{
    HttpsGet(FSandbox.WsdlUrl(), FSandbox.CaFile());
    const std::string envelope = RequestEnvelope("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}});
    HttpsPost(FSandbox.EndpointUrl(), FSandbox.CaFile(), envelope, SoapHeaders("AddParcel"));

    const auto requests = FSandbox.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Method, "GET");
    EXPECT_EQ(requests[0].Target, "/zanwebservice.asmx?WSDL");
    EXPECT_EQ(requests[0].Body, "");
    EXPECT_EQ(requests[1].Method, "POST");
    EXPECT_EQ(requests[1].Target, "/zanwebservice.asmx");
    EXPECT_EQ(requests[1].Body, envelope);
    EXPECT_EQ(requests[1].Header("soapaction"), SoapActionOf("AddParcel"));
    EXPECT_EQ(requests[1].Header("CONTENT-TYPE"), "text/xml; charset=utf-8");
    EXPECT_TRUE(requests[1].HasHeader("Accept"));
    EXPECT_FALSE(requests[1].HasHeader("X-Missing"));

    FSandbox.ClearRequests();
    EXPECT_TRUE(FSandbox.Requests().empty());
}

TEST_F(SandboxServerTest, UnreadableRequestsGetASoapFault)
{
    const std::string ns(ServiceNamespace);
    struct TCase {
        const char* Name;
        std::string Body;
        std::string SoapAction;
        const char* FaultCode;
    };
    const TCase cases[] = {
        {"not XML", "<SOAP-ENV:Envelope", SoapActionOf("AddParcel"), "soap:Client"},
        {"not an envelope", "<AddParcel xmlns=\"" + ns + "\"/>", SoapActionOf("AddParcel"), "soap:Client"},
        {"SOAP 1.2", "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\"><e:Body/></e:Envelope>",
         SoapActionOf("AddParcel"), "soap:VersionMismatch"},
        {"empty body", "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body/></e:Envelope>",
         SoapActionOf("AddParcel"), "soap:Client"},
        {"unknown operation", RequestEnvelope("GetLabel", {}), SoapActionOf("GetLabel"), "soap:Client"},
        {"wrapper outside the namespace",
         "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\"><e:Body><AddParcel/></e:Body></e:Envelope>",
         SoapActionOf("AddParcel"), "soap:Client"},
        {"action of another operation", RequestEnvelope("AddParcel", {{"XMLInfoParcel", ""}}),
         SoapActionOf("DeleteSped"), "soap:Client"},
    };
    for (const TCase& test : cases) {
        SCOPED_TRACE(test.Name);
        const THttpAnswer answer =
            HttpsPost(FSandbox.EndpointUrl(), FSandbox.CaFile(), test.Body,
                      {"Content-Type: text/xml; charset=utf-8", "SOAPAction: " + test.SoapAction});
        ASSERT_EQ(answer.Error, "");
        EXPECT_EQ(answer.Status, 500);
        EXPECT_EQ(answer.ContentType, "text/xml; charset=utf-8");
        const TXmlElement envelope = ParseXml(answer.Body);
        const TXmlElement* fault = FindDeep(envelope, "Fault");
        ASSERT_NE(fault, nullptr) << answer.Body;
        EXPECT_EQ(fault->Namespace, "http://schemas.xmlsoap.org/soap/envelope/");
        EXPECT_EQ(fault->ChildText("faultcode"), test.FaultCode);
        EXPECT_FALSE(fault->ChildText("faultstring").empty());
    }
    EXPECT_TRUE(FSandbox.Shipments().empty());
}

TEST(SandboxWsdlStyleTest, SchemaElementStyleNamesTheWrappersOnlyThroughTheMessageParts)
{
    TSandboxOptions options;
    options.WsdlStyle = TWsdlStyle::SchemaElement;
    TSandboxCourier sandbox(options);
    sandbox.Start();
    const THttpAnswer answer = HttpsGet(sandbox.WsdlUrl(), sandbox.CaFile());
    ASSERT_EQ(answer.Error, "");
    ASSERT_EQ(answer.Status, 200);
    const std::string& text = answer.Body;
    const TXmlElement wsdl = ParseXml(text);
    EXPECT_EQ(wsdl.LocalName, "definitions");
    EXPECT_EQ(wsdl.Namespace, "http://schemas.xmlsoap.org/wsdl/");

    // No soap:body names a namespace, and none of the usual prefixes is used.
    EXPECT_EQ(text.find(" namespace="), std::string::npos);
    for (const char* prefix : {"<wsdl:", "<soap:", "<soap12:", "<s:", "tns:"}) {
        EXPECT_EQ(text.find(prefix), std::string::npos) << prefix;
    }
    // The schema's namespace is neither the description's nor the usual one.
    const TXmlElement* schema = FindDeep(wsdl, "schema");
    ASSERT_NE(schema, nullptr);
    EXPECT_NE(text.find("<xs:schema elementFormDefault=\"qualified\" targetNamespace=\"" +
                        std::string(SchemaStyleElementNamespace) + "\">"),
              std::string::npos);
    EXPECT_NE(SchemaStyleElementNamespace, SchemaStyleDescriptionNamespace);
    EXPECT_NE(SchemaStyleElementNamespace, ServiceNamespace);
    for (const std::string operation : {"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"}) {
        SCOPED_TRACE(operation);
        EXPECT_NE(text.find("<xs:element name=\"" + operation + "\">"), std::string::npos);
        EXPECT_NE(text.find("<message name=\"" + operation + "Request\" xmlns:ns1=\"" +
                            std::string(SchemaStyleElementNamespace) +
                            "\"><part name=\"parameters\" element=\"ns1:" + operation + "\"/></message>"),
                  std::string::npos);
        EXPECT_NE(text.find("<sp:operation soapAction=\"" + SoapActionOf(operation, TWsdlStyle::SchemaElement) +
                            "\" style=\"document\"/><input><sp:body use=\"literal\"/></input>"),
                  std::string::npos);
    }
    // The SOAP 1.2 binding and port come first; the SOAP 1.1 port points here.
    const std::size_t binding12 = text.find("<binding name=\"ZanWebServiceSoap12\"");
    const std::size_t binding11 = text.find("<binding name=\"ZanWebServiceSoap\"");
    const std::size_t port12 = text.find("<port name=\"ZanWebServiceSoap12\"");
    const std::size_t port11 = text.find(
        "<port name=\"ZanWebServiceSoap\" binding=\"ns1:ZanWebServiceSoap\">"
        "<sp:address location=\"" +
        sandbox.EndpointUrl() + "\"/>");
    ASSERT_NE(binding12, std::string::npos);
    ASSERT_NE(port11, std::string::npos) << text;
    EXPECT_LT(binding12, binding11);
    EXPECT_LT(port12, port11);
}

TEST(SandboxWsdlStyleTest, AWrapperOutsideTheStylesNamespaceGetsAFault)
{
    const auto requestIn = [](std::string_view ANamespace) {
        return RequestEnvelope("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}}, ANamespace);
    };
    for (const TWsdlStyle style : {TWsdlStyle::BodyNamespace, TWsdlStyle::SchemaElement}) {
        SCOPED_TRACE(std::string(StyleName(style)));
        TSandboxOptions options;
        options.WsdlStyle = style;
        TSandboxCourier sandbox(options);
        sandbox.Start();
        const std::string action = "SOAPAction: " + SoapActionOf("AddParcel", style);
        struct TCase {
            const char* Name;
            std::string Body;
            std::string Action;
            bool Accepted;
        };
        const TCase cases[] = {
            {"the style's namespace", requestIn(WrapperNamespaceOf(style)), action, true},
            {"the other style's namespace",
             requestIn(WrapperNamespaceOf(style == TWsdlStyle::SchemaElement ? TWsdlStyle::BodyNamespace
                                                                             : TWsdlStyle::SchemaElement)),
             action, false},
            {"the description's own namespace", requestIn(SchemaStyleDescriptionNamespace), action, false},
            {"no namespace", requestIn(""), action, false},
            {"the other style's action", requestIn(WrapperNamespaceOf(style)),
             "SOAPAction: " + SoapActionOf("AddParcel", style == TWsdlStyle::SchemaElement ? TWsdlStyle::BodyNamespace
                                                                                           : TWsdlStyle::SchemaElement),
             false},
        };
        for (const TCase& test : cases) {
            SCOPED_TRACE(test.Name);
            const THttpAnswer answer = HttpsPost(sandbox.EndpointUrl(), sandbox.CaFile(), test.Body,
                                                 {"Content-Type: text/xml; charset=utf-8", test.Action});
            ASSERT_EQ(answer.Error, "");
            if (test.Accepted) {
                EXPECT_EQ(answer.Status, 200);
                EXPECT_EQ(AnswerPayload(answer.Body, "AddParcel", WrapperNamespaceOf(style)).LocalName, "InfoLabel");
                continue;
            }
            EXPECT_EQ(answer.Status, 500);
            // The parsed answer must outlive the element found in it.
            const TXmlElement envelope = ParseXml(answer.Body);
            const TXmlElement* fault = FindDeep(envelope, "Fault");
            ASSERT_NE(fault, nullptr) << answer.Body;
            EXPECT_EQ(fault->ChildText("faultcode"), "soap:Client");
        }
        EXPECT_EQ(sandbox.Shipments().size(), 1u);
    }
}

TEST_F(SandboxServerTest, QuotedOrEmptySoapActionIsAccepted)
{
    const std::string envelope = RequestEnvelope("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}});
    for (const std::string& action : {"\"" + SoapActionOf("AddParcel") + "\"", std::string("\"\"")}) {
        SCOPED_TRACE(action);
        const THttpAnswer answer = HttpsPost(FSandbox.EndpointUrl(), FSandbox.CaFile(), envelope,
                                             {"Content-Type: text/xml; charset=utf-8", "SOAPAction: " + action});
        EXPECT_EQ(answer.Status, 200) << answer.Body;
    }
}

TEST_F(SandboxServerTest, WrongContentTypeOrPlaceIsRefusedOverHttp)
{
    const std::string envelope = RequestEnvelope("AddParcel", {{"XMLInfoParcel", ""}});
    const THttpAnswer plain = HttpsPost(FSandbox.EndpointUrl(), FSandbox.CaFile(), envelope,
                                        {"Content-Type: text/plain", "SOAPAction: " + SoapActionOf("AddParcel")});
    EXPECT_EQ(plain.Status, 415);
    const std::string base = "https://127.0.0.1:" + std::to_string(FSandbox.Port());
    EXPECT_EQ(HttpsGet(base + "/other.asmx?WSDL", FSandbox.CaFile()).Status, 404);
    EXPECT_EQ(HttpsGet(base + "/zanwebservice.asmx", FSandbox.CaFile()).Status, 405);
    EXPECT_EQ(HttpsPost(base + "/elsewhere", FSandbox.CaFile(), envelope, SoapHeaders("AddParcel")).Status, 404);
}

TEST_F(SandboxServerTest, ScriptedAnswersAreServedOnceInOrder)
{
    TScriptedAnswer unavailable;
    unavailable.Status = 503;
    unavailable.ContentType = "text/html";
    unavailable.Body = "<html>maintenance</html>";
    unavailable.Method = "POST";
    FSandbox.QueueAnswer(unavailable);
    TScriptedAnswer fault;
    fault.Status = 500;
    fault.Body = "<fault/>";
    FSandbox.QueueAnswer(fault);
    EXPECT_EQ(FSandbox.PendingAnswers(), 2u);

    // A GET does not take an answer meant for a POST.
    const THttpAnswer wsdl = HttpsGet(FSandbox.WsdlUrl(), FSandbox.CaFile());
    EXPECT_EQ(wsdl.Status, 200);
    EXPECT_NE(wsdl.Body.find("ZanWebService"), std::string::npos);
    EXPECT_EQ(FSandbox.PendingAnswers(), 2u);

    const auto post = [this] { return Call("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}}); };
    const THttpAnswer first = post();
    EXPECT_EQ(first.Status, 503);
    EXPECT_EQ(first.ContentType, "text/html");
    EXPECT_EQ(first.Body, "<html>maintenance</html>");
    const THttpAnswer second = post();
    EXPECT_EQ(second.Status, 500);
    EXPECT_EQ(second.ContentType, "text/xml; charset=utf-8");
    EXPECT_EQ(second.Body, "<fault/>");
    // Scripted answers bypass the courier; afterwards it answers again.
    EXPECT_TRUE(FSandbox.Shipments().empty());
    EXPECT_EQ(post().Status, 200);
    EXPECT_EQ(FSandbox.Shipments().size(), 1u);
    EXPECT_EQ(FSandbox.Requests().size(), 4u);
}

TEST_F(SandboxServerTest, ScriptedDelayAndDroppedConnection)
{
    TScriptedAnswer slow;
    slow.Delay = std::chrono::milliseconds(300);
    slow.Body = "late";
    FSandbox.QueueAnswer(slow);
    const auto start = std::chrono::steady_clock::now();
    const THttpAnswer late = HttpsGet(FSandbox.WsdlUrl(), FSandbox.CaFile());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    EXPECT_EQ(late.Body, "late");

    TScriptedAnswer drop;
    drop.DropConnection = true;
    FSandbox.QueueAnswer(drop);
    const THttpAnswer dropped = Call("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}});
    EXPECT_NE(dropped.Error, "");
    EXPECT_EQ(dropped.Status, 0);
    EXPECT_TRUE(FSandbox.Shipments().empty());

    // The server keeps serving after a dropped connection.
    EXPECT_EQ(HttpsGet(FSandbox.WsdlUrl(), FSandbox.CaFile()).Status, 200);
}

// The courier registers at once and answers late, or trickles its answer: what
// a client that gives up or dies meanwhile leaves behind at the courier.
TEST_F(SandboxServerTest, LateAndTricklingAnswersOfTheCourierItself)
{
    TScriptedAnswer late;
    late.DefaultAnswers = true;
    late.Delay = std::chrono::milliseconds(400);
    late.Method = "POST";
    FSandbox.QueueAnswer(late);
    std::thread client([this] {
        const THttpAnswer answer = Call("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}});
        EXPECT_EQ(AnswerPayload(answer.Body, "AddParcel").Children.at(0).ChildText("NumeroSpedizione"), "100000001");
    });
    ASSERT_TRUE(FSandbox.WaitForRequests(1, std::chrono::seconds(20)));
    EXPECT_TRUE(FSandbox.WaitForRegisteredCounters(1, std::chrono::seconds(20)))
        << "registered before the answer went out";
    EXPECT_EQ(FSandbox.Shipments().size(), 1u);
    client.join();

    TScriptedAnswer trickle;
    trickle.DefaultAnswers = true;
    trickle.TrickleInterval = std::chrono::milliseconds(1);
    trickle.Method = "POST";
    FSandbox.QueueAnswer(trickle);
    const auto start = std::chrono::steady_clock::now();
    const THttpAnswer answer = Call("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}});
    EXPECT_EQ(AnswerPayload(answer.Body, "AddParcel").Children.at(0).ChildText("NumeroSpedizione"), "100000001");
    // One pause per byte.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(answer.Body.size()));
    EXPECT_EQ(FSandbox.RegistrationsPerCounter(), (std::map<std::int32_t, int>{{101, 1}}));
}

TEST(SandboxLifecycleTest, StopInterruptsADelayedAnswer)
{
    TSandboxCourier sandbox;
    sandbox.Start();
    TScriptedAnswer stuck;
    stuck.Delay = std::chrono::minutes(5);
    sandbox.QueueAnswer(stuck);
    std::thread client([&sandbox] { HttpsGet(sandbox.WsdlUrl(), sandbox.CaFile()); });
    ASSERT_TRUE(sandbox.WaitForRequests(1, std::chrono::seconds(20)));
    const auto start = std::chrono::steady_clock::now();
    sandbox.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    client.join();
    sandbox.Stop();  // a second stop is harmless

    // And it can serve again afterwards.
    sandbox.Start();
    EXPECT_EQ(HttpsGet(sandbox.WsdlUrl(), sandbox.CaFile()).Status, 200);
    EXPECT_FALSE(sandbox.WaitForRequests(3, std::chrono::milliseconds(10)));
    EXPECT_TRUE(sandbox.WaitForRequests(2, std::chrono::milliseconds(10)));
}

TEST(SandboxLifecycleTest, StateFolderKeepsAuthorityAndShipmentsAcrossRuns)
{
    const support::TTempFolder state;
    TSandboxOptions options;
    options.StateFolder = state.Path();
    std::string ca;
    std::string number;
    {
        TSandboxCourier first(options);
        first.Start();
        ca = ReadFile(first.CaFile());
        const THttpAnswer added =
            HttpsPost(first.EndpointUrl(), first.CaFile(),
                      RequestEnvelope("AddParcel", {{"XMLInfoParcel", AddParcelRequest({TParcelValues{}})}}),
                      SoapHeaders("AddParcel"));
        number = AnswerPayload(added.Body, "AddParcel").Children.at(0).ChildText("NumeroSpedizione");
    }
    EXPECT_TRUE(std::filesystem::exists(state.Path() / "ca.pem"));
    EXPECT_EQ(std::filesystem::status(state.Path() / "server-key.pem").permissions() &
                  (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);

    TSandboxCourier second(options);
    second.Start();
    EXPECT_EQ(second.CaFile(), state.Path() / "ca.pem");
    EXPECT_EQ(ReadFile(second.CaFile()), ca) << "a client that trusted the authority keeps trusting it";
    EXPECT_EQ(HttpsGet(second.WsdlUrl(), second.CaFile()).Status, 200);
    ASSERT_EQ(second.Shipments().size(), 1u);
    const THttpAnswer deleted = HttpsPost(second.EndpointUrl(), second.CaFile(),
                                          RequestEnvelope("DeleteSped", {{"SedeQor", "MI"},
                                                                         {"CodiceClienteQor", "123456"},
                                                                         {"PasswordClienteQor", "sandbox"},
                                                                         {"NumSpedizione", number}}),
                                          SoapHeaders("DeleteSped"));
    EXPECT_EQ(AnswerPayload(deleted.Body, "DeleteSped").Text, "Eliminazione avvenuta");
}

TEST(SandboxLifecycleTest, UnusableCertificateFilesAreMadeAnew)
{
    const support::TTempFolder state;
    TSandboxOptions options;
    options.StateFolder = state.Path();
    std::string ca;
    {
        TSandboxCourier first(options);
        first.Start();
        ca = ReadFile(first.CaFile());
    }
    // A damaged server certificate: the authority stays, the server part is redone.
    std::ofstream(state.Path() / "server.pem", std::ios::trunc) << "garbage";
    {
        TSandboxCourier second(options);
        second.Start();
        EXPECT_EQ(ReadFile(second.CaFile()), ca);
        EXPECT_EQ(HttpsGet(second.WsdlUrl(), second.CaFile()).Status, 200);
    }
    // A lost authority key: everything is redone and still fits together.
    std::filesystem::remove(state.Path() / "ca-key.pem");
    TSandboxCourier third(options);
    third.Start();
    EXPECT_NE(ReadFile(third.CaFile()), ca);
    EXPECT_EQ(HttpsGet(third.WsdlUrl(), third.CaFile()).Status, 200);
}

TEST(SandboxLifecycleTest, TemporaryStateIsRemovedWithTheSandbox)
{
    std::filesystem::path folder;
    {
        TSandboxCourier sandbox;
        sandbox.Start();
        folder = sandbox.StateFolder();
        EXPECT_TRUE(std::filesystem::exists(sandbox.CaFile()));
    }
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace qorita::sandbox::test
