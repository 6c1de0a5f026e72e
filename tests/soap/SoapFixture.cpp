#include "SoapFixture.h"

#include "xml/XMLNode.h"

#include "common/Exception.h"

namespace qorita::soaptest {

namespace {

const std::filesystem::path& CertificateFolder()
{
    static const support::TTempFolder folder("qorita-soap-certs");
    return folder.Path();
}

}  // namespace

const support::TCertificateFiles& TrustedCertificates()
{
    static const support::TCertificateFiles files = support::EnsureCertificates(CertificateFolder() / "trusted");
    return files;
}

const support::TCertificateFiles& UntrustedCertificates()
{
    static const support::TCertificateFiles files = support::EnsureCertificates(CertificateFolder() / "untrusted");
    return files;
}

const support::TCertificateFiles& OtherHostCertificates()
{
    static const support::TCertificateFiles files =
        support::EnsureCertificates(CertificateFolder() / "otherhost", "DNS:other.example");
    return files;
}

std::string TestWsdl(const TWsdlOptions& AOptions)
{
    const auto operation = [&](const std::string& AName) {
        std::string text = "<wsdl:operation name=\"" + AName + "\">";
        text += AOptions.SoapActions
                    ? "<soap:operation soapAction=\"urn:test:labels/action/" + AName + "\" style=\"document\"/>"
                    : "<soap:operation style=\"document\"/>";
        text += "<wsdl:input><soap:body use=\"literal\"";
        if (AOptions.WrapperNamespace) text += " namespace=\"" + *AOptions.WrapperNamespace + "\"";
        text += AOptions.BodyAttributes;
        text += "/></wsdl:input><wsdl:output><soap:body use=\"literal\"/></wsdl:output></wsdl:operation>\n";
        return text;
    };
    std::string wsdl =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\""
        " xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\""
        " xmlns:soap12=\"http://schemas.xmlsoap.org/wsdl/soap12/\""
        " xmlns:tns=\"urn:test:labels\" targetNamespace=\"urn:test:labels\"" +
        AOptions.Declarations + ">\n" + AOptions.Definitions;
    if (AOptions.Binding) {
        wsdl +=
            "<wsdl:binding name=\"LabelsSoap\" type=\"tns:LabelsPortType\">"
            "<soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\"/>\n";
        wsdl += operation("AddParcel") + operation("CloseWorkDayByShipmentNumber") + operation("DeleteSped");
        wsdl += "</wsdl:binding>\n";
    }
    // Decoys: another service with a port of the same name, and the SOAP 1.2
    // port of the right service listed first.
    wsdl +=
        "<wsdl:service name=\"OtherService\"><wsdl:port name=\"ZanWebServiceSoap\" binding=\"tns:LabelsSoap\">"
        "<soap:address location=\"https://127.0.0.1:1/decoy\"/></wsdl:port></wsdl:service>\n";
    if (AOptions.Service) {
        wsdl +=
            "<wsdl:service name=\"ZanWebService\">"
            "<wsdl:port name=\"ZanWebServiceSoap12\" binding=\"tns:LabelsSoap12\">"
            "<soap12:address location=\"https://127.0.0.1:1/soap12\"/></wsdl:port>"
            "<wsdl:port name=\"ZanWebServiceSoap\" binding=\"tns:LabelsSoap\">"
            "<soap:address location=\"" +
            AOptions.Endpoint + "\"/></wsdl:port></wsdl:service>\n";
    }
    wsdl += "</wsdl:definitions>\n";
    return wsdl;
}

std::string AnswerEnvelope(const std::string& ABodyContent, const char* ANamespace)
{
    return std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<soap:Envelope xmlns:soap=\"") + ANamespace +
           "\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">\n  <soap:Body>\n    " + ABodyContent +
           "\n  </soap:Body>\n</soap:Envelope>\n";
}

std::string ResultEnvelope(const std::string& AOperation, const std::string& APayload)
{
    return AnswerEnvelope("<r:" + AOperation + "Response xmlns:r=\"urn:test:labels/\">\n      <r:" + AOperation +
                          "Result>\n        " + APayload + "\n      </r:" + AOperation +
                          "Result>\n    </r:" + AOperation + "Response>");
}

TSoapTest::TSoapTest() { FServer.Start(TrustedCertificates()); }

std::string TSoapTest::WsdlUrl() const { return FServer.BaseUrl() + WsdlPath + "?WSDL"; }

std::string TSoapTest::EndpointUrl() const { return FServer.BaseUrl() + EndpointPath; }

labelservice::TServiceSettings TSoapTest::Settings() const
{
    return {WsdlUrl(), TrustedCertificates().CaCertificate.string()};
}

void TSoapTest::ServeWsdl(TWsdlOptions AOptions)
{
    if (AOptions.Endpoint.empty()) AOptions.Endpoint = EndpointUrl();
    sandbox::TScriptedAnswer answer;
    answer.Body = TestWsdl(AOptions);
    FServer.Serve(WsdlPath, answer);
}

void TSoapTest::EnqueueAnswer(const std::string& ABody, int AStatus, const std::string& AContentType)
{
    sandbox::TScriptedAnswer answer;
    answer.Status = AStatus;
    answer.ContentType = AContentType;
    answer.Body = ABody;
    FServer.QueueAnswer(answer);
}

std::string Markup(const xml::IXMLDocument& APayload) { return APayload->DocumentElement()->XML(); }

std::unique_ptr<labelservice::TLabelServiceSoap> Client(const labelservice::TServiceSettings& ASettings,
                                                        const http::THttpLimits& ALimits)
{
    return std::make_unique<labelservice::TLabelServiceSoap>(ASettings, ALimits);
}

std::unique_ptr<labelservice::TLabelServiceSoap> TSoapTest::Proxy(const http::THttpLimits& ALimits) const
{
    return Client(Settings(), ALimits);
}

}  // namespace qorita::soaptest
