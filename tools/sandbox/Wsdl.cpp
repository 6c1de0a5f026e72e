#include "Wsdl.h"

#include "SandboxXml.h"

#include <array>

namespace qorita::sandbox {

namespace {

struct TOperationShape {
    std::string_view Name;
    std::array<std::string_view, 4> Parameters;  // empty entries unused
};

// Every parameter and every result is a string: the request documents travel as
// escaped XML text, and the answer document is the result's single child.
constexpr std::array<TOperationShape, 3> Operations{{
    {"AddParcel", {"XMLInfoParcel", "", "", ""}},
    {"CloseWorkDayByShipmentNumber", {"_xmlRequest", "", "", ""}},
    {"DeleteSped", {"SedeQor", "CodiceClienteQor", "PasswordClienteQor", "NumSpedizione"}},
}};

// The schema elements of the three operations and their answers; AXs is the
// prefix of the XML Schema namespace, ATypes the prefix of the types element.
void AppendSchema(std::string& AOut, std::string_view ATypes, std::string_view AXs, std::string_view ATargetNamespace)
{
    const std::string xs = std::string(AXs) + ":";
    AOut += "<" + std::string(ATypes) + "><" + xs + "schema elementFormDefault=\"qualified\" targetNamespace=\"";
    AOut += ATargetNamespace;
    AOut += "\">";
    for (const TOperationShape& op : Operations) {
        AOut += "<" + xs + "element name=\"";
        AOut += op.Name;
        AOut += "\"><" + xs + "complexType><" + xs + "sequence>";
        for (std::string_view parameter : op.Parameters) {
            if (!parameter.empty()) {
                AOut += "<" + xs + "element minOccurs=\"0\" maxOccurs=\"1\" name=\"";
                AOut += parameter;
                AOut += "\" type=\"" + xs + "string\"/>";
            }
        }
        AOut += "</" + xs + "sequence></" + xs + "complexType></" + xs + "element>";
        // The result carries an XML fragment, hence "any" content.
        AOut += "<" + xs + "element name=\"";
        AOut += op.Name;
        AOut += "Response\"><" + xs + "complexType><" + xs + "sequence><" + xs +
                "element minOccurs=\"0\" maxOccurs=\"1\" name=\"";
        AOut += op.Name;
        AOut += "Result\"><" + xs + "complexType mixed=\"true\"><" + xs + "sequence><" + xs + "any/></" + xs +
                "sequence></" + xs + "complexType></" + xs + "element></" + xs + "sequence></" + xs + "complexType></" +
                xs + "element>";
    }
    AOut += "</" + xs + "schema></" + std::string(ATypes) + ">";
}

// One binding of the three operations; ASoap is the prefix of the SOAP binding
// namespace (1.1 or 1.2). The body names no namespace: the message parts do.
void AppendSchemaStyleBinding(std::string& AOut, std::string_view AName, std::string_view ASoap)
{
    const std::string soap = std::string(ASoap) + ":";
    AOut += "<binding name=\"";
    AOut += AName;
    AOut += "\" type=\"ns1:LabelServicePortType\"><" + soap +
            "binding transport=\"http://schemas.xmlsoap.org/soap/http\" style=\"document\"/>";
    for (const TOperationShape& op : Operations) {
        AOut += "<operation name=\"";
        AOut += op.Name;
        AOut += "\"><" + soap + "operation soapAction=\"";
        AOut += XmlEscape(SoapActionOf(op.Name, TWsdlStyle::SchemaElement));
        AOut += "\" style=\"document\"/><input><" + soap + "body use=\"literal\"/></input><output><" + soap +
                "body use=\"literal\"/></output></operation>";
    }
    AOut += "</binding>";
}

std::string BuildSchemaStyleWsdl(std::string_view AEndpoint)
{
    std::string out;
    out.reserve(8000);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    // The WSDL namespace is the default one; ns1 names the description's own
    // namespace here, and on each message the schema's: a prefix means what
    // its nearest declaration says.
    out +=
        "<definitions xmlns=\"http://schemas.xmlsoap.org/wsdl/\""
        " xmlns:sp=\"http://schemas.xmlsoap.org/wsdl/soap/\""
        " xmlns:sp12=\"http://schemas.xmlsoap.org/wsdl/soap12/\""
        " xmlns:xs=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:ns1=\"";
    out += SchemaStyleDescriptionNamespace;
    out += "\" name=\"";
    out += ServiceName;
    out += "\" targetNamespace=\"";
    out += SchemaStyleDescriptionNamespace;
    out += "\">";
    AppendSchema(out, "types", "xs", SchemaStyleElementNamespace);
    for (const TOperationShape& op : Operations) {
        for (std::string_view direction : {"Request", "Response"}) {
            out += "<message name=\"";
            out += op.Name;
            out += direction;
            out += "\" xmlns:ns1=\"";
            out += SchemaStyleElementNamespace;
            out += "\"><part name=\"parameters\" element=\"ns1:";
            out += op.Name;
            out += direction == "Request" ? "" : "Response";
            out += "\"/></message>";
        }
    }
    out += "<portType name=\"LabelServicePortType\">";
    for (const TOperationShape& op : Operations) {
        out += "<operation name=\"";
        out += op.Name;
        out += "\"><input message=\"ns1:";
        out += op.Name;
        out += "Request\"/><output message=\"ns1:";
        out += op.Name;
        out += "Response\"/></operation>";
    }
    out += "</portType>";
    AppendSchemaStyleBinding(out, "ZanWebServiceSoap12", "sp12");
    AppendSchemaStyleBinding(out, PortName, "sp");
    // The SOAP 1.2 port has an address of its own where nothing answers: a
    // client that took it would fail.
    out += "<service name=\"";
    out += ServiceName;
    out += "\"><port name=\"ZanWebServiceSoap12\" binding=\"ns1:ZanWebServiceSoap12\"><sp12:address location=\"";
    out += XmlEscape(std::string(AEndpoint) + "/soap12");
    out += "\"/></port><port name=\"";
    out += PortName;
    out += "\" binding=\"ns1:";
    out += PortName;
    out += "\"><sp:address location=\"";
    out += XmlEscape(AEndpoint);
    out += "\"/></port></service>";
    out += "</definitions>\n";
    return out;
}

}  // namespace

std::string_view WrapperNamespaceOf(TWsdlStyle AStyle)
{
    return AStyle == TWsdlStyle::SchemaElement ? SchemaStyleElementNamespace : ServiceNamespace;
}

std::string SoapActionOf(std::string_view AOperation, TWsdlStyle AStyle)
{
    // Toolkits derive the action from the service interface, not from the
    // namespace of the elements.
    std::string action(AStyle == TWsdlStyle::SchemaElement
                           ? std::string(SchemaStyleDescriptionNamespace) + "/LabelService/"
                           : std::string(ServiceNamespace));
    action += AOperation;
    return action;
}

std::string_view StyleName(TWsdlStyle AStyle)
{
    return AStyle == TWsdlStyle::SchemaElement ? "schema-element" : "body-namespace";
}

bool ParseStyleName(std::string_view AName, TWsdlStyle& AStyle)
{
    for (const TWsdlStyle style : {TWsdlStyle::BodyNamespace, TWsdlStyle::SchemaElement}) {
        if (AName == StyleName(style)) {
            AStyle = style;
            return true;
        }
    }
    return false;
}

std::string BuildWsdl(std::string_view AEndpoint, TWsdlStyle AStyle)
{
    if (AStyle == TWsdlStyle::SchemaElement) {
        return BuildSchemaStyleWsdl(AEndpoint);
    }
    std::string out;
    out.reserve(6000);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out +=
        "<wsdl:definitions"
        " xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\""
        " xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\""
        " xmlns:s=\"http://www.w3.org/2001/XMLSchema\""
        " xmlns:tns=\"";
    out += ServiceNamespace;
    out += "\" targetNamespace=\"";
    out += ServiceNamespace;
    out += "\">";
    AppendSchema(out, "wsdl:types", "s", ServiceNamespace);
    for (const TOperationShape& op : Operations) {
        for (std::string_view direction : {"In", "Out"}) {
            out += "<wsdl:message name=\"";
            out += op.Name;
            out += "Soap";
            out += direction;
            out += "\"><wsdl:part name=\"parameters\" element=\"tns:";
            out += op.Name;
            out += direction == "In" ? "" : "Response";
            out += "\"/></wsdl:message>";
        }
    }
    out += "<wsdl:portType name=\"ZanWebServiceSoap\">";
    for (const TOperationShape& op : Operations) {
        out += "<wsdl:operation name=\"";
        out += op.Name;
        out += "\"><wsdl:input message=\"tns:";
        out += op.Name;
        out += "SoapIn\"/><wsdl:output message=\"tns:";
        out += op.Name;
        out += "SoapOut\"/></wsdl:operation>";
    }
    out += "</wsdl:portType>";
    out +=
        "<wsdl:binding name=\"ZanWebServiceSoap\" type=\"tns:ZanWebServiceSoap\">"
        "<soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\"/>";
    for (const TOperationShape& op : Operations) {
        out += "<wsdl:operation name=\"";
        out += op.Name;
        out += "\"><soap:operation soapAction=\"";
        out += XmlEscape(SoapActionOf(op.Name));
        out += "\" style=\"document\"/>";
        for (std::string_view direction : {"input", "output"}) {
            out += "<wsdl:";
            out += direction;
            out += "><soap:body use=\"literal\" namespace=\"";
            out += ServiceNamespace;
            out += "\"/></wsdl:";
            out += direction;
            out += ">";
        }
        out += "</wsdl:operation>";
    }
    out += "</wsdl:binding>";
    out += "<wsdl:service name=\"";
    out += ServiceName;
    out += "\"><wsdl:port name=\"";
    out += PortName;
    out += "\" binding=\"tns:ZanWebServiceSoap\"><soap:address location=\"";
    out += XmlEscape(AEndpoint);
    out += "\"/></wsdl:port></wsdl:service>";
    out += "</wsdl:definitions>\n";
    return out;
}

}  // namespace qorita::sandbox
