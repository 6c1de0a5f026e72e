// The envelope is built as a tree and written by libxml2; the courier, and the
// archive of every exchange, must still get the very bytes that the envelope
// written by hand as text gave: each value below is compared with that text.

#include "ErrorOf.h"
#include "common/Exception.h"
#include "labelservice/Rest.Envelope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qorita::soaptest {
namespace {

using labelservice::BuildEnvelope;
using labelservice::TSoapParameter;
using test::ErrorOf;

// The envelope as it was written by hand: the reference for every byte.
std::string EscapedText(std::string_view AText, bool AInAttribute)
{
    std::string result;
    for (const char c : AText) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '\r': result += "&#13;"; break;
        case '"': result += AInAttribute ? "&quot;" : "\""; break;
        case '\t':
        case '\n':
            if (AInAttribute) result += c == '\t' ? "&#9;" : "&#10;";
            else result += c;
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                throw Exception(Format("Character 0x%02X cannot be sent in XML", static_cast<unsigned>(c)));
            result += c;
        }
    }
    return result;
}

std::string HandWrittenEnvelope(std::string_view AOperation, std::string_view AWrapperNamespace,
                                const std::vector<TSoapParameter>& AParameters)
{
    std::string envelope =
        "<?xml version=\"1.0\"?>"
        "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
        " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
        "<SOAP-ENV:Body>";
    envelope.append("<")
        .append(AOperation)
        .append(" xmlns=\"")
        .append(EscapedText(AWrapperNamespace, true))
        .append("\">");
    for (const TSoapParameter& parameter : AParameters) {
        try {
            envelope.append("<").append(parameter.Name).append(">");
            envelope.append(EscapedText(parameter.Value, false));
            envelope.append("</").append(parameter.Name).append(">");
        } catch (const Exception& error) {
            throw Exception(
                ComposeMessage(Format("Parameter %s cannot be sent:", parameter.Name.c_str()), error.what()));
        }
    }
    envelope.append("</").append(AOperation).append("></SOAP-ENV:Body></SOAP-ENV:Envelope>");
    return envelope;
}

// The envelope, or the message it is refused with.
template <typename TBuild>
std::string Outcome(TBuild ABuild)
{
    try {
        return ABuild();
    } catch (const Exception& error) {
        return "error: " + error.Message();
    }
}

TEST(EnvelopeBytes, AreTheBytesOfTheEnvelopeWrittenByHand)
{
    std::string large;
    for (int i = 0; i < 5000; ++i) large += "<Parcel a=\"" + std::to_string(i) + "\">x &amp; y\r\n città 😀</Parcel>";
    const std::vector<std::string> values = {
        "",
        "plain",
        "&",
        "<",
        ">",
        "\"",
        "'",
        "\r",
        "\r\n",
        "\n",
        "\t",
        "]]>",
        "a &amp; b &lt;c&gt; &#13;",
        "<Info a=\"1\">x &amp; y &lt; z ]]> \"q\" 'p'\r\nriga\tdue</Info>",
        "città € 日本 😀",
        "\xE8 not UTF-8 \xC3",
        "\x7F",
        "\xEF\xBB\xBF<a/>",
        "  spaces  ",
        large,
        "\x01",
        std::string("a\0b", 3),
        "ok\x1F",
    };
    const std::vector<std::string> namespaces = {
        "urn:test:labels/", "https://labelservice.example/", "", "a&b<c>\"d'e", "\r\n\t", "città/€", "\xE8", "\x02",
    };
    for (const std::string& wrapperNamespace : namespaces) {
        for (const std::string& value : values) {
            SCOPED_TRACE(testing::PrintToString(wrapperNamespace) + " " + testing::PrintToString(value.substr(0, 60)));
            const std::vector<TSoapParameter> parameters = {{"XMLInfoParcel", value}, {"Empty", ""}, {"_x", value}};
            EXPECT_EQ(Outcome([&] { return BuildEnvelope("AddParcel", wrapperNamespace, parameters); }),
                      Outcome([&] { return HandWrittenEnvelope("AddParcel", wrapperNamespace, parameters); }));
        }
        EXPECT_EQ(Outcome([&] { return BuildEnvelope("Ping", wrapperNamespace, {}); }),
                  Outcome([&] { return HandWrittenEnvelope("Ping", wrapperNamespace, {}); }));
    }
}

TEST(EnvelopeBytes, RefuseWhatXmlCannotCarryWithTheParameterNamed)
{
    EXPECT_EQ(ErrorOf([] {
                  BuildEnvelope("DeleteSped", "urn:x", {{"SedeQor", "MI"}, {"PasswordClienteQor", "a\x1b"}});
              }),
              "Parameter PasswordClienteQor cannot be sent:\r\nCharacter 0x1B cannot be sent in XML");
    EXPECT_EQ(ErrorOf([] {
                  BuildEnvelope("DeleteSped", "urn:\x01", {{"SedeQor", "MI"}});
              }),
              "Character 0x01 cannot be sent in XML");
}

}  // namespace
}  // namespace qorita::soaptest
