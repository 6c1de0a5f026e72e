#pragma once

#include <string>
#include <string_view>

namespace qorita::sandbox {

// The two ways the sandbox describes its service. Both name the same operations,
// parameters, service and port; they differ in where a client must look for the
// namespace of the wrapper elements, and the sandbox refuses a wrapper in any
// other namespace, as the services they imitate do.
enum class TWsdlStyle {
    // The sandbox's usual description: every soap:body names the namespace.
    BodyNamespace,
    // The way mainstream SOAP toolkits describe a document/literal service: no
    // soap:body namespace; the wrapper elements are declared in the types schema
    // under a namespace of its own and named by the parts of the messages
    // (element=); other prefixes than the usual ones; the SOAP 1.2 binding and
    // port listed before the SOAP 1.1 ones.
    SchemaElement,
};

// The namespace of the wrapper elements in the body-namespace style; its SOAP
// actions are this text followed by the operation name.
inline constexpr std::string_view ServiceNamespace = "https://sandbox.qorita.invalid/";
// The schema-element style: the description's own target namespace, and the
// schema's, where the wrapper elements live.
inline constexpr std::string_view SchemaStyleDescriptionNamespace = "http://labels.sandbox.qorita.invalid/service";
inline constexpr std::string_view SchemaStyleElementNamespace = "http://labels.sandbox.qorita.invalid/schema";
inline constexpr std::string_view ServiceName = "ZanWebService";
inline constexpr std::string_view PortName = "ZanWebServiceSoap";
inline constexpr std::string_view ServicePath = "/zanwebservice.asmx";

// Where a description style puts the wrapper elements of requests and answers.
std::string_view WrapperNamespaceOf(TWsdlStyle AStyle);

// The SOAP action of an operation, e.g. "https://sandbox.qorita.invalid/AddParcel".
std::string SoapActionOf(std::string_view AOperation, TWsdlStyle AStyle = TWsdlStyle::BodyNamespace);

// "body-namespace" or "schema-element", as the command line names them.
std::string_view StyleName(TWsdlStyle AStyle);
// The style of that name; false when the name is none of them.
bool ParseStyleName(std::string_view AName, TWsdlStyle& AStyle);

// The WSDL 1.1 description of the three operations in the given style, with the
// SOAP 1.1 address pointing at AEndpoint (the absolute URL of the service path).
std::string BuildWsdl(std::string_view AEndpoint, TWsdlStyle AStyle = TWsdlStyle::BodyNamespace);

}  // namespace qorita::sandbox
