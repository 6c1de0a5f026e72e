#include "labelservice/Rest.Envelope.h"

#include "common/Exception.h"

namespace qorita::labelservice {

std::string EscapeXml(std::string_view AText, bool AInAttribute)
{
    std::string result;
    result.reserve(AText.size() + AText.size() / 8);
    for (const char c : AText) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '\r': result += "&#13;"; break;
        case '"': result += AInAttribute ? "&quot;" : "\""; break;
        case '\t':
        case '\n':
            // An attribute value would have them normalised to blanks.
            if (AInAttribute) result += c == '\t' ? "&#9;" : "&#10;";
            else result += c;
            break;
        default:
            // Other control characters cannot appear in XML 1.0 at all, not
            // even as character references.
            if (static_cast<unsigned char>(c) < 0x20)
                throw Exception(Format("Character 0x%02X cannot be sent in XML", static_cast<unsigned>(c)));
            result += c;
        }
    }
    return result;
}

std::string BuildEnvelope(std::string_view AOperation, std::string_view AWrapperNamespace,
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
        .append(EscapeXml(AWrapperNamespace, true))
        .append("\">");
    for (const TSoapParameter& parameter : AParameters) {
        try {
            envelope.append("<").append(parameter.Name).append(">");
            envelope.append(EscapeXml(parameter.Value));
            envelope.append("</").append(parameter.Name).append(">");
        } catch (const Exception& error) {
            throw Exception(
                ComposeMessage(Format("Parameter %s cannot be sent:", parameter.Name.c_str()), error.what()));
        }
    }
    envelope.append("</").append(AOperation).append(">");
    envelope.append("</SOAP-ENV:Body></SOAP-ENV:Envelope>");
    return envelope;
}

}  // namespace qorita::labelservice
