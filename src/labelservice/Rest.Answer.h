#pragma once

// Examination of the courier's answer to an operation call, in a fixed order:
// HTTP status, empty body, content type, XML, envelope, header and body,
// fault, response wrapper, result element, payload.

#include <string>

namespace qorita::http {
struct THttpResponse;
}

namespace qorita::labelservice {

// The payload's markup: the result element's single child node with its whole
// subtree and the namespaces it uses, no declaration. Every rule broken by the
// answer raises an Exception with its own message; a SOAP fault raises one
// whose message is the fault string (else the detail's or the fault's markup).
std::string ExtractPayload(const http::THttpResponse& AResponse, const std::string& AUrl,
                           const std::string& AOperation, const std::string& AResultElement);

}  // namespace qorita::labelservice
