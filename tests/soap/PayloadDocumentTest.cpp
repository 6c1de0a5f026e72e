// The AddParcel payload taken out of the answer's tree as a document of its
// own must be the document its markup reads as: the same tree, the same
// refusals with the same messages. Each answer is examined both ways.

#include "common/Exception.h"
#include "labelservice/Rest.Answer.h"
#include "labelservice/http/HttpClient.h"
#include "xml/XMLDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace qorita::soaptest {
namespace {

constexpr const char* Url = "https://courier.example/service.asmx";

http::THttpResponse Answer(const std::string& ABody)
{
    http::THttpResponse answer;
    answer.StatusCode = 200;
    answer.ReasonPhrase = "OK";
    answer.ContentType = "text/xml; charset=utf-8";
    answer.Body = ABody;
    return answer;
}

// The document as written out, or the message it fails with.
std::string Outcome(const std::function<xml::IXMLDocument()>& ARead)
{
    try {
        return "document: " + ARead()->XML();
    } catch (const Exception& error) {
        return "error: " + error.Message();
    }
}

// The payload read from its markup, as the answer's text would be.
std::string FromMarkup(const std::string& ABody)
{
    return Outcome([&] {
        return xml::TXMLDocument::Parse(
            labelservice::ExtractPayload(Answer(ABody), Url, "AddParcel", "AddParcelResult"));
    });
}

std::string Taken(const std::string& ABody)
{
    return Outcome(
        [&] { return labelservice::ExtractPayloadDocument(Answer(ABody), Url, "AddParcel", "AddParcelResult"); });
}

std::string Envelope(const std::string& AResult, const std::string& AEnvelopeAttributes = "",
                     const std::string& AWrapperAttributes = " xmlns=\"urn:service\"")
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/"
           "envelope/\"" +
           AEnvelopeAttributes + "><soap:Body><AddParcelResponse" + AWrapperAttributes + "><AddParcelResult>" +
           AResult + "</AddParcelResult></AddParcelResponse></soap:Body></soap:Envelope>";
}

TEST(PayloadDocument, IsTheDocumentItsMarkupReadsAs)
{
    const std::string labels =
        "<Parcel><NumeroSpedizione>7</NumeroSpedizione><Zpl>^XA\n^FDa &amp; b &lt;c&gt;\r\n"
        "^XZ</Zpl><PdfLabel><![CDATA[x<y]]></PdfLabel></Parcel>";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"namespace undeclared on the payload", Envelope("<InfoLabel xmlns=\"\">" + labels + "</InfoLabel>")},
        {"payload in the wrapper's namespace", Envelope("<InfoLabel>" + labels + "</InfoLabel>")},
        {"prefix declared above", Envelope("<l:InfoLabel a=\"1\" l:b=\"2\"><l:Parcel/></l:InfoLabel>",
                                           " xmlns:l=\"urn:labels\" xmlns:unused=\"urn:unused\"")},
        {"prefix declared on the payload", Envelope("<l:InfoLabel xmlns:l=\"urn:labels\"><l:Parcel l:x=\"&#9;\"/>"
                                                    "<Parcel/></l:InfoLabel>",
                                                    "", "")},
        {"prefix declared inside the payload", Envelope("<InfoLabel><m:Parcel xmlns:m=\"urn:m\"><m:Zpl>z</m:Zpl>"
                                                        "</m:Parcel></InfoLabel>",
                                                        "", "")},
        {"undeclared prefix", Envelope("<x:InfoLabel><Parcel/></x:InfoLabel>", "", "")},
        {"undeclared attribute prefix", Envelope("<InfoLabel x:a=\"1\"/>", "", "")},
        {"blank text kept and dropped", Envelope("<InfoLabel>\n  <Parcel>  </Parcel>\n  <Parcel> x </Parcel>"
                                                 "<Note>a <b/> c</Note>\n</InfoLabel>",
                                                 "", "")},
        {"xml:space above the payload",
         Envelope("<InfoLabel>\n  <Parcel/>\n</InfoLabel>", " xml:space=\"preserve\"", "")},
        {"xml:space on the payload", Envelope("<InfoLabel xml:space=\"preserve\">\n  <Parcel/>\n</InfoLabel>", "", "")},
        {"comments and instructions", Envelope("<InfoLabel><!-- c --><?pi data?><Parcel/></InfoLabel>", "", "")},
        {"character references and non-ASCII",
         Envelope("<InfoLabel a=\"&quot;&#10;\">citt&#224; € &#x1F600; &#13;</InfoLabel>", "", "")},
        {"a document type in the answer", "<!DOCTYPE soap:Envelope [<!ATTLIST InfoLabel d CDATA \"dflt\">]>" +
                                              Envelope("<InfoLabel>\n <Parcel/>\n</InfoLabel>", "", "").substr(38)},
        {"text payload", Envelope("a &amp; b", "", "")},
        {"escaped document as text", Envelope("&lt;InfoLabel/&gt;", "", "")},
        {"comment payload", Envelope("<!-- only -->", "", "")},
        {"error answer", Envelope("<DescrizioneErrore>Cliente non abilitato</DescrizioneErrore>")},
        {"malformed answer", Envelope("<InfoLabel><Parcel></InfoLabel>")},
        {"no result", Envelope("", "", "")},
        {"latin-1 answer", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>" +
                               Envelope("<InfoLabel><Nome>citt\xE0</Nome></InfoLabel>").substr(38)},
    };
    for (const auto& [name, body] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Taken(body), FromMarkup(body));
    }
}

TEST(PayloadDocument, KeepsNoDeclarationAndWritesTheSameFile)
{
    const std::string body = Envelope("<InfoLabel xmlns=\"\"><Parcel><Zpl>^XA^XZ</Zpl></Parcel></InfoLabel>");
    const xml::IXMLDocument taken =
        labelservice::ExtractPayloadDocument(Answer(body), Url, "AddParcel", "AddParcelResult");
    EXPECT_FALSE(taken->HasDeclaration());
    EXPECT_EQ(taken->XML(), "<InfoLabel xmlns=\"\"><Parcel><Zpl>^XA^XZ</Zpl></Parcel></InfoLabel>\n");
}

// An answer of some megabytes, so that the text behind the parser is given back
// several times: 100 labels of 60 KB, in lines of 80 characters (ZPL), as one
// line each (base64), or the first 30 in lines and then all on one line.
enum class TLayout { Lines, OneLine, Mixed };

std::string LargeAnswer(TLayout ALayout)
{
    std::string payload = "<InfoLabel xmlns=\"\">";
    for (int i = 0; i < 100; ++i) {
        const bool lines = ALayout == TLayout::Lines || (ALayout == TLayout::Mixed && i < 30);
        payload += "<Parcel><NumeroSpedizione>7</NumeroSpedizione><ContatoreProgressivo>" + std::to_string(i) +
                   "</ContatoreProgressivo><Zpl>";
        for (int line = 0; line < 750; ++line) {
            payload += lines ? "^FX" + std::string(76, static_cast<char>('a' + (i + line) % 26)) + "\n"
                             : std::string(80, static_cast<char>('A' + (i + line) % 26));
        }
        payload += "</Zpl></Parcel>";
    }
    return Envelope(payload + "</InfoLabel>");
}

// What reading the whole answer at once says of it.
std::string ReadWhole(const std::string& ABody)
{
    return Outcome([&] { return xml::TXMLDocument::Parse(ABody); });
}

TEST(PayloadDocument, LargeAnswersReadTheSameWhileTheirTextIsGivenBack)
{
    for (const TLayout layout : {TLayout::Lines, TLayout::OneLine, TLayout::Mixed}) {
        SCOPED_TRACE(static_cast<int>(layout));
        const std::string body = LargeAnswer(layout);
        EXPECT_GT(body.size(), 6'000'000u);
        EXPECT_EQ(Taken(body), FromMarkup(body));
    }
}

TEST(PayloadDocument, LargeAnswersFailWithTheLineWhereTheyBreak)
{
    const auto replaceNth = [](std::string AText, const std::string& AFrom, const std::string& ATo, int AIndex) {
        std::size_t at = 0;
        for (int i = 0; i <= AIndex; ++i) at = AText.find(AFrom, at + 1);
        return AText.replace(at, AFrom.size(), ATo);
    };
    for (const TLayout layout : {TLayout::Lines, TLayout::OneLine, TLayout::Mixed}) {
        const std::string body = LargeAnswer(layout);
        const std::vector<std::pair<const char*, std::string>> cases = {
            {"tags that do not match", replaceNth(body, "</Zpl>", "</Zp>", 70)},
            {"a control character", replaceNth(body, "</Zpl>", "\x01</Zpl>", 60)},
            {"cut in a label", body.substr(0, 4'000'000)},
            {"cut at the end", body.substr(0, body.size() - 40)},
            {"cut in the last tag", body.substr(0, body.size() - 3)},
        };
        for (const auto& [name, broken] : cases) {
            SCOPED_TRACE(std::to_string(static_cast<int>(layout)) + " " + name);
            const std::string expected = ReadWhole(broken);
            EXPECT_EQ(expected.substr(0, 7), "error: ");
            EXPECT_EQ(Taken(broken), expected);
        }
    }
}

}  // namespace
}  // namespace qorita::soaptest
