#include "labelservice/Rest.Answer.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/Rest.AnswerBody.h"
#include "labelservice/http/HttpClient.h"
#include "xml/ReadNode.h"
#include "xml/XMLDocument.h"

namespace qorita::labelservice {

using xml::TReadNode;

namespace {

constexpr std::string_view Soap11EnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view Soap12EnvelopeNs = "http://www.w3.org/2003/05/soap-envelope";
constexpr std::string_view XsiNs = "http://www.w3.org/2001/XMLSchema-instance";

[[noreturn]] void ThrowFault(TReadNode AFault)
{
    TReadNode faultString;
    TReadNode detail;
    for (const TReadNode child : AFault.ElementChildren()) {
        if (!faultString && EqualsNoCase(child.LocalName(), "faultstring")) faultString = child;
        else if (!detail && EqualsNoCase(child.LocalName(), "detail")) detail = child;
    }
    std::string message = faultString ? faultString.Text() : std::string();
    if (message.empty()) message = detail ? detail.Markup() : AFault.Markup();
    throw Exception(message);
}

bool IsNil(TReadNode AElement)
{
    const std::optional<std::string> value = AElement.Attribute(XsiNs, "nil");
    return value == "true" || value == "1";
}

// The answer examined down to its payload: the parsed answer and the node.
struct TPayload {
    xml::TParsedXml Answer;
    TReadNode Node;
};

TPayload FindPayload(const http::THttpResponse& AResponse, TAnswerBody& ABody, const std::string& AUrl,
                     const std::string& AOperation, const std::string& AResultElement)
{
    // 500 is how the service delivers a SOAP fault: examined below.
    if (AResponse.StatusCode >= 300 && AResponse.StatusCode != 500)
        throw Exception(Format("%s (%ld) - '%s'", AResponse.ReasonPhrase.c_str(), AResponse.StatusCode, AUrl.c_str()));
    if (ABody.Size() == 0) throw Exception("Invalid HTTP Response: Length is 0");
    if (EqualsNoCase(AResponse.ContentType, "text/plain") || EqualsNoCase(AResponse.ContentType, "text/html"))
        throw Exception(Format("Received content of invalid Content-Type setting: %s - SOAP expects \"text/xml\"",
                               AResponse.ContentType.c_str()));

    TPayload payload{ABody.Parse(), TReadNode()};
    const TReadNode envelope = payload.Answer.Root();
    if (!envelope) throw Exception("Invalid SOAP Response");
    const std::string_view rootNs = envelope.NamespaceURI();
    if (envelope.LocalName() != "Envelope" || (rootNs != Soap11EnvelopeNs && rootNs != Soap12EnvelopeNs))
        throw Exception(Format("DocumentElement %s:%s expected, %s:%s found", std::string(Soap11EnvelopeNs).c_str(),
                               "Envelope", std::string(rootNs).c_str(), std::string(envelope.LocalName()).c_str()));
    const std::vector<TReadNode> parts = envelope.ElementChildren();
    if (parts.empty()) throw Exception("Invalid SOAP request");
    TReadNode body;
    int headers = 0;
    int bodies = 0;
    for (const TReadNode part : parts) {
        if (part.LocalName() == "Header") ++headers;
        else if (part.LocalName() == "Body" && ++bodies == 1) body = part;
    }
    if (headers > 1 || bodies > 1) throw Exception("Invalid SOAP response");

    const std::string noResult = Format("The answer to %s carries no result", AOperation.c_str());
    const std::vector<TReadNode> bodyChildren = body ? body.ElementChildren() : std::vector<TReadNode>();
    if (bodyChildren.empty()) throw Exception(noResult);
    const TReadNode wrapper = bodyChildren.front();
    if (wrapper.LocalName() == "Fault") ThrowFault(wrapper);

    const std::vector<TReadNode> wrapperChildren = wrapper.ElementChildren();
    TReadNode result;
    for (const TReadNode child : wrapperChildren) {
        if (EqualsNoCase(child.LocalName(), AResultElement)) {
            result = child;
            break;
        }
    }
    if (!result && wrapperChildren.size() == 1) result = wrapperChildren.front();
    if (!result || IsNil(result)) throw Exception(noResult);
    const std::vector<TReadNode> content = result.ContentChildren();
    if (content.size() != 1) throw Exception(noResult);
    payload.Node = content.front();
    return payload;
}

}  // namespace

std::string ExtractPayload(const http::THttpResponse& AResponse, const std::string& AUrl, const std::string& AOperation,
                           const std::string& AResultElement)
{
    TAnswerBody body(AResponse.Body);
    return ExtractPayload(AResponse, body, AUrl, AOperation, AResultElement);
}

std::string ExtractPayload(const http::THttpResponse& AResponse, TAnswerBody& ABody, const std::string& AUrl,
                           const std::string& AOperation, const std::string& AResultElement)
{
    const std::size_t size = ABody.Size();
    const TPayload payload = FindPayload(AResponse, ABody, AUrl, AOperation, AResultElement);
    // The payload is nearly the whole answer when it carries labels.
    return payload.Node.Markup(size);
}

xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, TAnswerBody& ABody,
                                         const std::string& AUrl, const std::string& AOperation,
                                         const std::string& AResultElement)
{
    const std::size_t size = ABody.Size();
    TPayload payload = FindPayload(AResponse, ABody, AUrl, AOperation, AResultElement);
    if (xml::IXMLDocument document = payload.Answer.TakeOut(payload.Node)) return document;
    // Written out and read back, as the payload's text would be.
    std::string markup = payload.Node.Markup(size);
    payload.Answer = {};
    return xml::TXMLDocument::Parse(markup);
}

xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, const std::string& AUrl,
                                         const std::string& AOperation, const std::string& AResultElement)
{
    TAnswerBody body(AResponse.Body);
    return ExtractPayloadDocument(AResponse, body, AUrl, AOperation, AResultElement);
}

}  // namespace qorita::labelservice
