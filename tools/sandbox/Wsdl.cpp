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

void AppendSchema(std::string& AOut)
{
    AOut += "<wsdl:types><s:schema elementFormDefault=\"qualified\" targetNamespace=\"";
    AOut += ServiceNamespace;
    AOut += "\">";
    for (const TOperationShape& op : Operations) {
        AOut += "<s:element name=\"";
        AOut += op.Name;
        AOut += "\"><s:complexType><s:sequence>";
        for (std::string_view parameter : op.Parameters) {
            if (!parameter.empty()) {
                AOut += "<s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"";
                AOut += parameter;
                AOut += "\" type=\"s:string\"/>";
            }
        }
        AOut += "</s:sequence></s:complexType></s:element>";
        // The result carries an XML fragment, hence "any" content.
        AOut += "<s:element name=\"";
        AOut += op.Name;
        AOut += "Response\"><s:complexType><s:sequence><s:element minOccurs=\"0\" maxOccurs=\"1\" name=\"";
        AOut += op.Name;
        AOut += "Result\"><s:complexType mixed=\"true\"><s:sequence><s:any/></s:sequence>"
                "</s:complexType></s:element></s:sequence></s:complexType></s:element>";
    }
    AOut += "</s:schema></wsdl:types>";
}

}  // namespace

std::string SoapActionOf(std::string_view AOperation)
{
    std::string action(ServiceNamespace);
    action += AOperation;
    return action;
}

std::string BuildWsdl(std::string_view AEndpoint)
{
    std::string out;
    out.reserve(6000);
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += "<wsdl:definitions"
           " xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\""
           " xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\""
           " xmlns:s=\"http://www.w3.org/2001/XMLSchema\""
           " xmlns:tns=\"";
    out += ServiceNamespace;
    out += "\" targetNamespace=\"";
    out += ServiceNamespace;
    out += "\">";
    AppendSchema(out);
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
    out += "<wsdl:binding name=\"ZanWebServiceSoap\" type=\"tns:ZanWebServiceSoap\">"
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
