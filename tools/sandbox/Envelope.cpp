#include "Envelope.h"

#include "SandboxXml.h"
#include "Wsdl.h"
#include "common/Exception.h"

namespace qorita::sandbox {

namespace {

constexpr std::string_view EnvelopeStart =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
    "<soap:Envelope xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\""
    " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\""
    " xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\"><soap:Body>";
constexpr std::string_view EnvelopeEnd = "</soap:Body></soap:Envelope>";

TSoapCall Refuse(TSoapFault& AFault, std::string ACode, std::string AString)
{
    AFault.Code = std::move(ACode);
    AFault.String = std::move(AString);
    return {};
}

}  // namespace

std::string TSoapCall::Parameter(std::string_view AName) const
{
    const auto found = Parameters.find(AName);
    return found == Parameters.end() ? std::string() : found->second;
}

TSoapCall ParseSoapCall(std::string_view ABody, std::string_view AWrapperNamespace, TSoapFault& AFault)
{
    TXmlElement root;
    try {
        root = ParseXml(ABody);
    } catch (const Exception& error) {
        return Refuse(AFault, "soap:Client", "Server was unable to read request. " + error.Message());
    }
    if (root.LocalName != "Envelope") {
        return Refuse(AFault, "soap:Client", "The root element is not a SOAP envelope.");
    }
    if (root.Namespace == Soap12EnvelopeNamespace) {
        return Refuse(AFault, "soap:VersionMismatch", "This service speaks SOAP 1.1 only.");
    }
    if (root.Namespace != Soap11EnvelopeNamespace) {
        return Refuse(AFault, "soap:VersionMismatch", "Unknown envelope namespace '" + root.Namespace + "'.");
    }
    const TXmlElement* body = nullptr;
    for (const TXmlElement& child : root.Children) {
        if (child.Namespace != Soap11EnvelopeNamespace) {
            continue;
        }
        if (child.LocalName == "Body") {
            if (body != nullptr) {
                return Refuse(AFault, "soap:Client", "The envelope holds two Body elements.");
            }
            body = &child;
        }
    }
    if (body == nullptr) {
        return Refuse(AFault, "soap:Client", "The envelope holds no Body element.");
    }
    if (body->Children.empty()) {
        return Refuse(AFault, "soap:Client", "The SOAP body names no operation.");
    }
    const TXmlElement& wrapper = body->Children.front();
    // A wrapper outside the service's namespace names an operation the service
    // does not have, however its local name reads.
    if (wrapper.Namespace != AWrapperNamespace) {
        return Refuse(AFault, "soap:Client",
                      "Operation element '" + wrapper.LocalName + "' in namespace '" + wrapper.Namespace +
                          "' is not known to this service.");
    }
    TSoapCall call;
    call.Operation = wrapper.LocalName;
    // Parameters outside the service namespace are not ours and count as not sent.
    for (const TXmlElement& parameter : wrapper.Children) {
        if (parameter.Namespace == AWrapperNamespace) {
            call.Parameters.emplace(parameter.LocalName, parameter.Text);
        }
    }
    return call;
}

std::string BuildAnswerEnvelope(std::string_view AOperation, std::string_view APayload,
                                std::string_view AWrapperNamespace)
{
    std::string out;
    out.reserve(EnvelopeStart.size() + EnvelopeEnd.size() + APayload.size() + 4 * AOperation.size() +
                AWrapperNamespace.size() + 80);
    out += EnvelopeStart;
    out += '<';
    out += AOperation;
    out += "Response xmlns=\"";
    out += AWrapperNamespace;
    out += "\"><";
    out += AOperation;
    out += "Result>";
    out += APayload;
    out += "</";
    out += AOperation;
    out += "Result></";
    out += AOperation;
    out += "Response>";
    out += EnvelopeEnd;
    return out;
}

std::string BuildFaultEnvelope(const TSoapFault& AFault)
{
    std::string out(EnvelopeStart);
    out += "<soap:Fault>";
    out += XmlTextElement("faultcode", AFault.Code);
    out += XmlTextElement("faultstring", AFault.String);
    out += "<detail/></soap:Fault>";
    out += EnvelopeEnd;
    return out;
}

}  // namespace qorita::sandbox
