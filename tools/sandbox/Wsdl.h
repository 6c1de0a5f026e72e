#pragma once

#include <string>
#include <string_view>

namespace qorita::sandbox {

// The service namespace: the wrapper elements of requests and answers live in it,
// and each SOAP action is this text followed by the operation name.
inline constexpr std::string_view ServiceNamespace = "https://sandbox.qorita.invalid/";
inline constexpr std::string_view ServiceName = "ZanWebService";
inline constexpr std::string_view PortName = "ZanWebServiceSoap";
inline constexpr std::string_view ServicePath = "/zanwebservice.asmx";

// The SOAP action of an operation, e.g. "https://sandbox.qorita.invalid/AddParcel".
std::string SoapActionOf(std::string_view AOperation);

// The WSDL 1.1 description of the three operations, with the SOAP 1.1 address
// pointing at AEndpoint (the absolute URL of the service path).
std::string BuildWsdl(std::string_view AEndpoint);

}  // namespace qorita::sandbox
