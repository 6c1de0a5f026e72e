// How the courier's answer to an operation call is judged: every rule in its
// order, faults, SOAP 1.2, and what counts as the payload.

#include "SoapFixture.h"

#include "xml/XMLDocument.h"
#include "xml/XMLNode.h"

namespace qorita::soaptest {
namespace {

constexpr const char* Soap12 = "http://www.w3.org/2003/05/soap-envelope";

struct TCase {
    const char* Name;
    int Status;
    std::string ContentType;
    std::string Body;
    std::string Expected;  // the payload, or the error message when Fails
    bool Fails = true;
};

std::string Fault(const std::string& AContent)
{
    return AnswerEnvelope("<soap:Fault><faultcode>soap:Server</faultcode>" + AContent + "</soap:Fault>");
}

std::string Wrapper(const std::string& AContent)
{
    return AnswerEnvelope("<AddParcelResponse>" + AContent + "</AddParcelResponse>");
}

std::string Repeat(const char* AText, int ACount)
{
    std::string result;
    for (int i = 0; i < ACount; ++i) result += AText;
    return result;
}

const std::string NoResult = "The answer to AddParcel carries no result";
const std::string Xml = "text/xml; charset=utf-8";

TEST_F(TSoapTest, AnswerRulesAndMessages)
{
    ServeWsdl();
    const std::string ok = "<InfoLabel><Esito>0</Esito></InfoLabel>";
    const std::vector<TCase> cases = {
        // HTTP level, in the order the rules apply.
        {"404", 404, Xml, Fault("<faultstring>x</faultstring>"), "Not Found (404) - '" + EndpointUrl() + "'"},
        {"302 is not followed", 302, Xml, "", "Found (302) - '" + EndpointUrl() + "'"},
        {"500 with fault", 500, Xml, Fault("<faultstring>Server was unable to process request.</faultstring>"),
         "Server was unable to process request."},
        {"500 with html page", 500, "text/html", "<html><body>Runtime Error</body></html>",
         "Received content of invalid Content-Type setting: text/html - SOAP expects \"text/xml\""},
        {"empty 500", 500, Xml, "", "Invalid HTTP Response: Length is 0"},
        {"empty 200", 200, "text/plain", "", "Invalid HTTP Response: Length is 0"},
        {"plain text in any case", 200, "TEXT/Plain", "oops",
         "Received content of invalid Content-Type setting: TEXT/Plain - SOAP expects \"text/xml\""},
        {"html with parameters goes on", 200, "text/html; charset=utf-8", ResultEnvelope("AddParcel", ok), ok, false},
        // XML and envelope.
        {"not xml", 200, Xml, "Service Unavailable",
         "Start tag expected, '<' not found\r\nLine: 1\r\nService Unavailable"},
        {"cut at 40 characters", 200, Xml, "<a>\n<b>àààààààààààààààààààààààààààààààààààààààààààààààà</c>\n</a>",
         "Opening and ending tag mismatch: b line 2 and c\r\nLine: 2\r\n<b>" + Repeat("à", 37)},
        {"foreign root", 200, Xml, "<e:Envelope xmlns:e=\"urn:other\"/>",
         "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, urn:other:Envelope found"},
        {"root without namespace", 200, Xml, "<html><p/></html>",
         "DocumentElement http://schemas.xmlsoap.org/soap/envelope/:Envelope expected, :html found"},
        {"envelope without children", 200, Xml,
         "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\">  </soap:Envelope>",
         "Invalid SOAP request"},
        {"two bodies", 200, Xml, AnswerEnvelope("</soap:Body><soap:Body>"), "Invalid SOAP response"},
        {"two headers", 200, Xml,
         "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Header/><s:Header/>"
         "<s:Body/></s:Envelope>",
         "Invalid SOAP response"},
        {"header entries are ignored", 200, Xml,
         "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Header><h:T xmlns:h=\"urn:h\" "
         "s:mustUnderstand=\"1\"/></s:Header><s:Body><AddParcelResponse><AddParcelResult>" +
             ok + "</AddParcelResult></AddParcelResponse></s:Body></s:Envelope>",
         ok, false},
        {"soap 1.2", 200, "application/soap+xml",
         AnswerEnvelope("<AddParcelResponse><AddParcelResult>" + ok + "</AddParcelResult></AddParcelResponse>", Soap12),
         ok, false},
        // Faults.
        {"fault on 200 too", 200, Xml, Fault("<faultstring>Parcel refused</faultstring>"), "Parcel refused"},
        {"faultstring with markup and non-ASCII", 500, Xml,
         Fault("<faultstring>&lt;b&gt;Peso non valido&lt;/b&gt; città € 日本 &amp; <i>co</i></faultstring>"),
         "<b>Peso non valido</b> città € 日本 & co"},
        {"child names without regard to case", 500, Xml, Fault("<FaultString>Upper</FaultString>"), "Upper"},
        {"empty faultstring gives the detail", 500, Xml,
         Fault("<faultstring/><detail><e:Reason xmlns:e=\"urn:err\">bad &amp; worse</e:Reason></detail>"),
         "<detail><e:Reason xmlns:e=\"urn:err\">bad &amp; worse</e:Reason></detail>"},
        {"neither gives the whole fault", 500, Xml, Fault(""),
         "<soap:Fault xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><faultcode>soap:Server</faultcode>"
         "</soap:Fault>"},
        {"soap 1.2 fault with detail", 500, "application/soap+xml",
         AnswerEnvelope("<soap:Fault><soap:Code><soap:Value>soap:Receiver</soap:Value></soap:Code><soap:Detail>"
                        "<m>no</m></soap:Detail></soap:Fault>",
                        Soap12),
         "<soap:Detail xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\"><m>no</m></soap:Detail>"},
        // Entities: an external one is never loaded, an exploding one is refused.
        {"external entity", 500, Xml,
         "<!DOCTYPE s:Envelope [<!ENTITY xxe SYSTEM \"file:///etc/hostname\">]>" +
             Fault("<faultstring>&xxe;</faultstring>").substr(Fault("").find("<soap:Envelope")),
         "<soap:Fault xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><faultcode>soap:Server</faultcode>"
         "<faultstring>&xxe;</faultstring></soap:Fault>"},
        {"entity expansion bomb", 200, Xml,
         "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
         "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">"
         "<!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\"><!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\">"
         "<!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\"><!ENTITY h \"&g;&g;&g;&g;&g;&g;&g;&g;&g;&g;\">"
         "<!ENTITY i \"&h;&h;&h;&h;&h;&h;&h;&h;&h;&h;\">]><r>&i;</r>",
         "Detected an entity reference loop\r\nLine: 1\r\n<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!E"},
        // Result element and payload.
        {"payload keeps the namespaces it uses", 200, Xml,
         "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\" xmlns:l=\"urn:labels\"><s:Body>"
         "<AddParcelResponse><AddParcelResult>\n  <l:InfoLabel a=\"1\"><l:Label>QUJD</l:Label></l:InfoLabel>\n"
         "</AddParcelResult></AddParcelResponse></s:Body></s:Envelope>",
         "<l:InfoLabel xmlns:l=\"urn:labels\" a=\"1\"><l:Label>QUJD</l:Label></l:InfoLabel>", false},
        {"result name without regard to case", 200, Xml,
         Wrapper("<Other>1</Other><addparcelRESULT>" + ok + "</addparcelRESULT>"), ok, false},
        {"only child of the wrapper", 200, Xml, Wrapper("<Whatever>" + ok + "</Whatever>"), ok, false},
        // AddParcel's payload is read as a document: a text is none.
        {"text payload", 200, Xml, Wrapper("<AddParcelResult>a &amp; b</AddParcelResult>"),
         "Start tag expected, '<' not found\r\nLine: 1\r\na &amp; b"},
        {"latin-1 answer", 200, "text/xml",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/"
         "envelope/\"><s:Body><R><AddParcelResult><Nome>citt\xE0</Nome></AddParcelResult></R></s:Body></s:Envelope>",
         "<Nome>città</Nome>", false},
        {"no result among several", 200, Xml, Wrapper("<A/><B/>"), NoResult},
        {"empty result", 200, Xml, Wrapper("<AddParcelResult>\n  </AddParcelResult>"), NoResult},
        {"two nodes in result", 200, Xml, Wrapper("<AddParcelResult><A/><B/></AddParcelResult>"), NoResult},
        {"nil result", 200, Xml, Wrapper("<AddParcelResult xsi:nil=\"true\"/>"), NoResult},
        {"empty body", 200, Xml, AnswerEnvelope(""), NoResult},
        {"no body", 200, Xml,
         "<s:Envelope xmlns:s=\"http://schemas.xmlsoap.org/soap/envelope/\"><s:Header/></s:Envelope>", NoResult},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        EnqueueAnswer(c.Body, c.Status, c.ContentType);
        if (c.Fails) EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }), c.Expected);
        else EXPECT_EQ(Markup(Proxy()->AddParcel("<Info/>")), c.Expected);
    }
    // Each call posted exactly once, whatever the answer.
    std::size_t posts = 0;
    for (const auto& request : Server().Requests()) posts += request.Method == "POST" ? 1 : 0;
    EXPECT_EQ(posts, cases.size());
}

// The answer's tree is bounded whatever the courier sends: a bound that is hit
// is named, never an exhausted memory.
TEST_F(TSoapTest, AnswersBuildABoundedTree)
{
    ServeWsdl();
    const auto parcels = [](const std::string& AZpl) {
        return Wrapper("<AddParcelResult><InfoLabel><Parcel><Zpl>" + AZpl +
                       "</Zpl></Parcel></InfoLabel>"
                       "</AddParcelResult>");
    };
    EnqueueAnswer(Wrapper("<AddParcelResult><InfoLabel>" + Repeat("<a/>", 500000) + "</InfoLabel></AddParcelResult>"));
    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }), "XML text refused: more than 500000 nodes");

    // The largest label libxml2 builds without XML_PARSE_HUGE, and one byte more.
    EnqueueAnswer(parcels(std::string(10'000'000, 'Z')));
    const xml::IXMLDocument largest = Proxy()->AddParcel("<Info/>");
    EXPECT_EQ(largest->DocumentElement()->ChildNode("Parcel")->ChildText("Zpl").size(), 10'000'000u);
    EnqueueAnswer(parcels(std::string(10'000'001, 'Z')));
    EXPECT_EQ(ErrorOf([&] { Proxy()->AddParcel("<Info/>"); }),
              "XML text refused: the text of element <Zpl> is larger than 10000000 bytes");
}

}  // namespace
}  // namespace qorita::soaptest
