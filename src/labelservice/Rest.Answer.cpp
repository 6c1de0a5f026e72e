#include "labelservice/Rest.Answer.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/Rest.Xml.h"
#include "labelservice/Rest.XmlInput.h"
#include "labelservice/http/HttpClient.h"
#include "xml/XMLDocument.h"

namespace qorita::labelservice {

using namespace soapxml;

namespace {

constexpr std::string_view Soap11EnvelopeNs = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr std::string_view Soap12EnvelopeNs = "http://www.w3.org/2003/05/soap-envelope";
constexpr std::string_view XsiNs = "http://www.w3.org/2001/XMLSchema-instance";

[[noreturn]] void ThrowFault(xmlNode* AFault)
{
    xmlNode* faultString = nullptr;
    xmlNode* detail = nullptr;
    for (xmlNode* child : ElementChildren(AFault)) {
        if (faultString == nullptr && EqualsNoCase(LocalName(child), "faultstring")) faultString = child;
        else if (detail == nullptr && EqualsNoCase(LocalName(child), "detail")) detail = child;
    }
    std::string message = faultString ? NodeText(faultString) : std::string();
    if (message.empty()) message = detail ? NodeXml(detail) : NodeXml(AFault);
    throw Exception(message);
}

bool IsNil(const xmlNode* AElement)
{
    for (const xmlAttr* attr = AElement->properties; attr != nullptr; attr = attr->next) {
        if (attr->ns == nullptr || reinterpret_cast<const char*>(attr->ns->href) != XsiNs ||
            LocalName(reinterpret_cast<const xmlNode*>(attr)) != "nil")
            continue;
        const std::string value = NodeText(reinterpret_cast<const xmlNode*>(attr));
        return value == "true" || value == "1";
    }
    return false;
}

// The answer examined down to its payload: the parsed answer and the node.
struct TPayload {
    TParsedXml Answer;
    xmlNode* Node = nullptr;
};

TPayload FindPayload(const http::THttpResponse& AResponse, TXmlInput& ABody, const std::string& AUrl,
                     const std::string& AOperation, const std::string& AResultElement)
{
    // 500 is how the service delivers a SOAP fault: examined below.
    if (AResponse.StatusCode >= 300 && AResponse.StatusCode != 500)
        throw Exception(Format("%s (%ld) - '%s'", AResponse.ReasonPhrase.c_str(), AResponse.StatusCode, AUrl.c_str()));
    if (ABody.Size() == 0) throw Exception("Invalid HTTP Response: Length is 0");
    if (EqualsNoCase(AResponse.ContentType, "text/plain") || EqualsNoCase(AResponse.ContentType, "text/html"))
        throw Exception(Format("Received content of invalid Content-Type setting: %s - SOAP expects \"text/xml\"",
                               AResponse.ContentType.c_str()));

    TPayload payload{ABody.Parse()};
    xmlNode* envelope = xmlDocGetRootElement(payload.Answer.Doc.get());
    if (envelope == nullptr) throw Exception("Invalid SOAP Response");
    const std::string_view rootNs = NamespaceUri(envelope);
    if (LocalName(envelope) != "Envelope" || (rootNs != Soap11EnvelopeNs && rootNs != Soap12EnvelopeNs))
        throw Exception(Format("DocumentElement %s:%s expected, %s:%s found", std::string(Soap11EnvelopeNs).c_str(),
                               "Envelope", std::string(rootNs).c_str(), std::string(LocalName(envelope)).c_str()));
    const std::vector<xmlNode*> parts = ElementChildren(envelope);
    if (parts.empty()) throw Exception("Invalid SOAP request");
    xmlNode* body = nullptr;
    int headers = 0;
    int bodies = 0;
    for (xmlNode* part : parts) {
        if (LocalName(part) == "Header") ++headers;
        else if (LocalName(part) == "Body" && ++bodies == 1) body = part;
    }
    if (headers > 1 || bodies > 1) throw Exception("Invalid SOAP response");

    const std::string noResult = Format("The answer to %s carries no result", AOperation.c_str());
    const std::vector<xmlNode*> bodyChildren = body ? ElementChildren(body) : std::vector<xmlNode*>();
    if (bodyChildren.empty()) throw Exception(noResult);
    xmlNode* wrapper = bodyChildren.front();
    if (LocalName(wrapper) == "Fault") ThrowFault(wrapper);

    const std::vector<xmlNode*> wrapperChildren = ElementChildren(wrapper);
    xmlNode* result = nullptr;
    for (xmlNode* child : wrapperChildren) {
        if (EqualsNoCase(LocalName(child), AResultElement)) {
            result = child;
            break;
        }
    }
    if (result == nullptr && wrapperChildren.size() == 1) result = wrapperChildren.front();
    if (result == nullptr || IsNil(result)) throw Exception(noResult);
    const std::vector<xmlNode*> content = ContentChildren(result);
    if (content.size() != 1) throw Exception(noResult);
    payload.Node = content.front();
    return payload;
}

}  // namespace

std::string ExtractPayload(const http::THttpResponse& AResponse, const std::string& AUrl, const std::string& AOperation,
                           const std::string& AResultElement)
{
    TXmlInput body(AResponse.Body);
    return ExtractPayload(AResponse, body, AUrl, AOperation, AResultElement);
}

std::string ExtractPayload(const http::THttpResponse& AResponse, TXmlInput& ABody, const std::string& AUrl,
                           const std::string& AOperation, const std::string& AResultElement)
{
    const std::size_t size = ABody.Size();
    const TPayload payload = FindPayload(AResponse, ABody, AUrl, AOperation, AResultElement);
    // The payload is nearly the whole answer when it carries labels.
    return NodeXml(payload.Node, size);
}

xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, TXmlInput& ABody,
                                         const std::string& AUrl, const std::string& AOperation,
                                         const std::string& AResultElement)
{
    const std::size_t size = ABody.Size();
    TPayload payload = FindPayload(AResponse, ABody, AUrl, AOperation, AResultElement);
    if (TDocPtr document = DetachAsDocument(payload.Answer, payload.Node))
        return xml::TXMLDocument::Adopt(document.release());
    // Written out and read back, as the payload's text would be.
    std::string markup = NodeXml(payload.Node, size);
    payload.Answer.Doc.reset();
    return xml::TXMLDocument::Parse(markup);
}

xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, const std::string& AUrl,
                                         const std::string& AOperation, const std::string& AResultElement)
{
    TXmlInput body(AResponse.Body);
    return ExtractPayloadDocument(AResponse, body, AUrl, AOperation, AResultElement);
}

}  // namespace qorita::labelservice
