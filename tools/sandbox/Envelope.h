#pragma once

#include "Wsdl.h"

#include <map>
#include <string>
#include <string_view>

namespace qorita::sandbox {

inline constexpr std::string_view Soap11EnvelopeNamespace = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr std::string_view Soap12EnvelopeNamespace = "http://www.w3.org/2003/05/soap-envelope";

// What a SOAP 1.1 request asks for: the wrapper element names the operation, its
// children are the parameters (all plain text).
struct TSoapCall {
    std::string Operation;
    std::map<std::string, std::string, std::less<>> Parameters;

    // The parameter's text, empty when the parameter was not sent.
    std::string Parameter(std::string_view AName) const;
};

// A request the courier cannot read; it is answered with a SOAP fault.
struct TSoapFault {
    std::string Code;  // "soap:Client", "soap:VersionMismatch", "soap:Server"
    std::string String;
};

// Reads an envelope whose wrapper element must be in AWrapperNamespace. On
// success AFault is untouched and the call is returned; otherwise AFault says
// why and the returned call has an empty operation.
TSoapCall ParseSoapCall(std::string_view ABody, std::string_view AWrapperNamespace, TSoapFault& AFault);

// The answer of an operation: Envelope / Body / <Op>Response in AWrapperNamespace
// / <Op>Result holding APayload (one element, already serialised) as its single
// child.
std::string BuildAnswerEnvelope(std::string_view AOperation, std::string_view APayload,
                                std::string_view AWrapperNamespace = ServiceNamespace);

// A SOAP 1.1 fault envelope.
std::string BuildFaultEnvelope(const TSoapFault& AFault);

}  // namespace qorita::sandbox
