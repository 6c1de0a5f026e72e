#pragma once

// Examination of the courier's answer to an operation call, in a fixed order:
// HTTP status, empty body, content type, XML, envelope, header and body,
// fault, response wrapper, result element, payload.

#include "xml/XMLForward.h"

#include <string>

namespace qorita::http {
struct THttpResponse;
}

namespace qorita::labelservice {

namespace soapxml {
class TXmlInput;
}

// The payload's markup: the result element's single child node with its whole
// subtree and the namespaces it uses, no declaration. Every rule broken by the
// answer raises an Exception with its own message; a SOAP fault raises one
// whose message is the fault string (else the detail's or the fault's markup).
std::string ExtractPayload(const http::THttpResponse& AResponse, const std::string& AUrl, const std::string& AOperation,
                           const std::string& AResultElement);
// The same for an answer whose body went into ABody (a sink of the HTTP
// client) rather than into AResponse.Body; ABody is used up.
std::string ExtractPayload(const http::THttpResponse& AResponse, soapxml::TXmlInput& ABody, const std::string& AUrl,
                           const std::string& AOperation, const std::string& AResultElement);
// The payload as a document of its own, as if its markup had been read: the
// element is taken out of the answer's tree when it stands on its own (the
// answer's text and the rest of its tree are gone by then), otherwise its
// markup is read. The same examination and messages as ExtractPayload, and a
// payload that does not read as a document fails as its markup would.
xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, soapxml::TXmlInput& ABody,
                                         const std::string& AUrl, const std::string& AOperation,
                                         const std::string& AResultElement);
// The same for an answer whose body is in AResponse.Body.
xml::IXMLDocument ExtractPayloadDocument(const http::THttpResponse& AResponse, const std::string& AUrl,
                                         const std::string& AOperation, const std::string& AResultElement);

}  // namespace qorita::labelservice
