// What the courier receives: the description request, the operation request,
// their headers and the envelope byte for byte.

#include "SoapFixture.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace qorita::soaptest {
namespace {

const std::string EnvelopeHead =
    "<?xml version=\"1.0\"?>"
    "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
    "<SOAP-ENV:Body>";
const std::string EnvelopeTail = "</SOAP-ENV:Body></SOAP-ENV:Envelope>";

// The text content of the first element named AName, as an XML parser sees it.
std::string ParsedParameter(const std::string& AEnvelope, const char* AName)
{
    std::unique_ptr<xmlDoc, decltype(&xmlFreeDoc)> doc(
        xmlReadMemory(AEnvelope.data(), static_cast<int>(AEnvelope.size()), nullptr, nullptr, XML_PARSE_NONET),
        &xmlFreeDoc);
    if (!doc) return "<not well-formed>";
    for (xmlNode* node = xmlDocGetRootElement(doc.get()); node != nullptr;) {
        if (node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(AName))) {
            xmlChar* content = xmlNodeGetContent(node);
            std::string text(reinterpret_cast<const char*>(content));
            xmlFree(content);
            return text;
        }
        if (node->children != nullptr) {
            node = node->children;
            continue;
        }
        while (node != nullptr && node->next == nullptr) node = node->parent;
        node = node != nullptr ? node->next : nullptr;
    }
    return "<missing>";
}

TEST_F(TSoapTest, AddParcelSendsDescriptionRequestThenEnvelopeOnOneConnection)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("AddParcel", "<InfoLabel><Esito>0</Esito></InfoLabel>"));

    const std::string payload = Markup(Proxy()->AddParcel("<Info><Nome>A &amp; B</Nome></Info>"));

    EXPECT_EQ(payload, "<InfoLabel><Esito>0</Esito></InfoLabel>");
    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    const auto& get = requests[0];
    EXPECT_EQ(get.Method, "GET");
    EXPECT_EQ(get.Target, "/zanwebservice.asmx?WSDL");
    EXPECT_EQ(get.Header("Accept"), "*/*");
    EXPECT_EQ(get.Header("Content-Type"), "text/xml");
    EXPECT_EQ(get.Header("User-Agent"), http::UserAgent);
    const auto& post = requests[1];
    EXPECT_EQ(post.Method, "POST");
    EXPECT_EQ(post.Target, EndpointPath);
    EXPECT_EQ(post.Header("Content-Type"), "text/xml; charset=utf-8");
    EXPECT_EQ(post.Header("SOAPAction"), "urn:test:labels/action/AddParcel");
    EXPECT_EQ(post.Header("Accept"), "*/*");
    EXPECT_EQ(post.Header("User-Agent"), http::UserAgent);
    EXPECT_EQ(post.HeaderCount("SOAPAction"), 1u);
    EXPECT_EQ(post.HeaderCount("Expect"), 0u);
    EXPECT_EQ(post.Body, EnvelopeHead +
                             "<AddParcel xmlns=\"urn:test:labels/\"><XMLInfoParcel>"
                             "&lt;Info&gt;&lt;Nome&gt;A &amp;amp; B&lt;/Nome&gt;&lt;/Info&gt;"
                             "</XMLInfoParcel></AddParcel>" +
                             EnvelopeTail);
    // One TLS connection carries both requests.
    EXPECT_EQ(get.RemotePort, post.RemotePort);
}

TEST_F(TSoapTest, CloseWorkDayWithoutActionOrNamespaceInDescription)
{
    ServeWsdl({.WrapperNamespace = std::nullopt, .SoapActions = false});
    EnqueueAnswer(ResultEnvelope("CloseWorkDayByShipmentNumber", "<Esito>0</Esito>"));

    EXPECT_EQ(Proxy()->CloseWorkDayByShipmentNumber("<Info><NumSpedizione>7</NumSpedizione></Info>"),
              "<Esito>0</Esito>");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("SOAPAction"), "\"\"");
    EXPECT_EQ(requests[1].Body, EnvelopeHead +
                                    "<CloseWorkDayByShipmentNumber xmlns=\"https://labelservice.example/\">"
                                    "<_xmlRequest>&lt;Info&gt;&lt;NumSpedizione&gt;7&lt;/NumSpedizione&gt;"
                                    "&lt;/Info&gt;</_xmlRequest></CloseWorkDayByShipmentNumber>" +
                                    EnvelopeTail);
}

TEST_F(TSoapTest, DeleteSpedSendsFourParametersInOrder)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("DeleteSped", "<Esito>0</Esito>"));

    EXPECT_EQ(Proxy()->DeleteSped("MI", "4711", "", "0"), "<Esito>0</Esito>");

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("SOAPAction"), "urn:test:labels/action/DeleteSped");
    EXPECT_EQ(requests[1].Body, EnvelopeHead +
                                    "<DeleteSped xmlns=\"urn:test:labels/\"><SedeQor>MI</SedeQor>"
                                    "<CodiceClienteQor>4711</CodiceClienteQor>"
                                    "<PasswordClienteQor></PasswordClienteQor>"
                                    "<NumSpedizione>0</NumSpedizione></DeleteSped>" +
                                    EnvelopeTail);
}

TEST_F(TSoapTest, ParameterTextReachesTheServersParserUnchanged)
{
    ServeWsdl();
    EnqueueAnswer(ResultEnvelope("AddParcel", "<Esito>0</Esito>"));
    const std::string request = "<Info a=\"1\">x &amp; y &lt; z ]]> \"q\" 'p'\r\nriga\tdue città € 日本</Info>";

    Proxy()->AddParcel(request);

    const auto requests = Server().Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(ParsedParameter(requests[1].Body, "XMLInfoParcel"), request);
}

TEST_F(TSoapTest, TextThatXmlCannotCarryIsRefusedBeforeSending)
{
    ServeWsdl();

    EXPECT_EQ(ErrorOf([&] { Proxy()->DeleteSped("MI", "1", "pass\x01word", "2"); }),
              "Parameter PasswordClienteQor cannot be sent:\r\nCharacter 0x01 cannot be sent in XML");
    for (const auto& request : Server().Requests()) EXPECT_NE(request.Method, "POST");
}

}  // namespace
}  // namespace qorita::soaptest
