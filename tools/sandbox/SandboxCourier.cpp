#include "SandboxCourier.h"

#include "Certificates.h"
#include "Envelope.h"
#include "TempFolder.h"
#include "Wsdl.h"
#include "common/Exception.h"
#include "common/Text.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>

#include <algorithm>
#include <cctype>

namespace qorita::sandbox {

namespace {

constexpr std::string_view SoapContentType = "text/xml; charset=utf-8";

// The registry file inside the state folder, which is created when missing.
std::filesystem::path RegistryFile(const std::filesystem::path& AFolder)
{
    std::filesystem::create_directories(AFolder);
    return AFolder / "registry.xml";
}

}  // namespace

struct TSandboxCourier::TImpl {
    explicit TImpl(TSandboxOptions AOptions)
        : Options(std::move(AOptions)),
          Temporary(Options.StateFolder.empty() ? std::make_unique<support::TTempFolder>("qorita-sandbox") : nullptr),
          Folder(Temporary ? Temporary->Path() : std::filesystem::absolute(Options.StateFolder)),
          Courier(Options.Credentials, RegistryFile(Folder), Options.ZplLabelSize),
          // Short keep-alive waits keep Stop quick when a client leaves a connection open.
          Server(
              "The sandbox courier",
              [this](const httplib::Request& ARequest, httplib::Response& AResponse) { Handle(ARequest, AResponse); },
              std::chrono::seconds(1))
    {
    }

    // The courier's own answer to a request no scripted answer was for.
    void Handle(const httplib::Request& ARequest, httplib::Response& AResponse);
    void ServeWsdl(const httplib::Request& ARequest, httplib::Response& AResponse) const;
    void ServeSoap(const httplib::Request& ARequest, httplib::Response& AResponse);
    std::string Authority(const httplib::Request* ARequest) const;

    TSandboxOptions Options;
    // The folder of a sandbox started without a state folder; removed with it.
    std::unique_ptr<support::TTempFolder> Temporary;
    std::filesystem::path Folder;
    TCourier Courier;
    support::TCertificateFiles Certificates;
    TScriptedServer Server;
};

std::string TSandboxCourier::TImpl::Authority(const httplib::Request* ARequest) const
{
    // The description points at the name the client used, when it is one of the
    // names the certificate covers.
    const std::string port = std::to_string(Server.Port());
    if (ARequest != nullptr) {
        const std::string host = ARequest->get_header_value("Host");
        if (EqualsNoCase(host, "localhost:" + port) || host == "127.0.0.1:" + port) {
            return host;
        }
    }
    return "127.0.0.1:" + port;
}

void TSandboxCourier::TImpl::ServeWsdl(const httplib::Request& ARequest, httplib::Response& AResponse) const
{
    const std::string endpoint = "https://" + Authority(&ARequest) + std::string(ServicePath);
    AResponse.status = 200;
    AResponse.set_content(BuildWsdl(endpoint, Options.WsdlStyle), std::string(SoapContentType).c_str());
}

void TSandboxCourier::TImpl::ServeSoap(const httplib::Request& ARequest, httplib::Response& AResponse)
{
    const std::string contentType = LowerAscii(ARequest.get_header_value("Content-Type"));
    if (contentType.rfind("text/xml", 0) != 0) {
        AResponse.status = 415;
        AResponse.set_content("SOAP 1.1 requests must have the content type text/xml", "text/plain");
        return;
    }
    auto fault = [&AResponse](const TSoapFault& AFault) {
        AResponse.status = 500;
        AResponse.set_content(BuildFaultEnvelope(AFault), std::string(SoapContentType).c_str());
    };
    TSoapFault parseFault;
    const TSoapCall call = ParseSoapCall(ARequest.body, WrapperNamespaceOf(Options.WsdlStyle), parseFault);
    if (call.Operation.empty()) {
        fault(parseFault);
        return;
    }
    if (!TCourier::IsOperation(call.Operation)) {
        fault({"soap:Client", "Unknown operation '" + call.Operation + "'."});
        return;
    }
    std::string action = ARequest.get_header_value("SOAPAction");
    if (action.size() >= 2 && action.front() == '"' && action.back() == '"') {
        action = action.substr(1, action.size() - 2);
    }
    if (!action.empty() && action != SoapActionOf(call.Operation, Options.WsdlStyle)) {
        fault({"soap:Client", "Server did not recognize the value of HTTP Header SOAPAction: " + action + "."});
        return;
    }
    std::string payload = Courier.Answer(call);
    constexpr std::string_view undeclared = " xmlns=\"\"";
    if (const std::size_t at = payload.find(undeclared);
        Options.InheritedPayloadNamespace && at != std::string::npos && at < payload.find('>')) {
        payload.erase(at, undeclared.size());
    }
    AResponse.status = 200;
    auto body = std::make_shared<std::string>(
        BuildAnswerEnvelope(call.Operation, payload, WrapperNamespaceOf(Options.WsdlStyle)));
    if (!Options.Chunked) {
        AResponse.set_content(std::move(*body), std::string(SoapContentType).c_str());
        return;
    }
    AResponse.set_chunked_content_provider(std::string(SoapContentType).c_str(),
                                           [body, sent = std::size_t{0}](size_t, httplib::DataSink& ASink) mutable {
                                               constexpr std::size_t piece = 16384;
                                               if (sent < body->size()) {
                                                   const std::size_t length = std::min(piece, body->size() - sent);
                                                   ASink.write(body->data() + sent, length);
                                                   sent += length;
                                               } else {
                                                   ASink.done();
                                               }
                                               return true;
                                           });
}

void TSandboxCourier::TImpl::Handle(const httplib::Request& ARequest, httplib::Response& AResponse)
{
    try {
        const bool servicePath = EqualsNoCase(ARequest.path, ServicePath);
        if (ARequest.method == "GET" && servicePath &&
            std::any_of(ARequest.params.begin(), ARequest.params.end(),
                        [](const auto& AParam) { return EqualsNoCase(AParam.first, "wsdl"); })) {
            ServeWsdl(ARequest, AResponse);
        } else if (ARequest.method == "POST" && servicePath) {
            ServeSoap(ARequest, AResponse);
        } else if (servicePath) {
            AResponse.status = 405;
            AResponse.set_content("Method not allowed", "text/plain");
        } else {
            AResponse.status = 404;
            AResponse.set_content("Not found", "text/plain");
        }
    } catch (const std::exception& error) {
        AResponse.status = 500;
        AResponse.set_content(BuildFaultEnvelope({"soap:Server", error.what()}), std::string(SoapContentType).c_str());
    }
}

TSandboxCourier::TSandboxCourier(TSandboxOptions AOptions) : FImpl(std::make_unique<TImpl>(std::move(AOptions))) {}

TSandboxCourier::~TSandboxCourier() { Stop(); }

void TSandboxCourier::Start()
{
    if (FImpl->Server.Running()) {
        throw Exception("The sandbox courier is already running");
    }
    FImpl->Certificates = support::EnsureCertificates(FImpl->Folder);
    FImpl->Server.Start(FImpl->Certificates, FImpl->Options.Port);
}

void TSandboxCourier::Stop() { FImpl->Server.Stop(); }

int TSandboxCourier::Port() const { return FImpl->Server.Port(); }

std::string TSandboxCourier::EndpointUrl() const
{
    return "https://" + FImpl->Authority(nullptr) + std::string(ServicePath);
}

std::string TSandboxCourier::WsdlUrl() const { return EndpointUrl() + "?WSDL"; }

std::filesystem::path TSandboxCourier::CaFile() const { return FImpl->Certificates.CaCertificate; }

std::filesystem::path TSandboxCourier::StateFolder() const { return FImpl->Folder; }

void TSandboxCourier::QueueAnswer(TScriptedAnswer AAnswer) { FImpl->Server.QueueAnswer(std::move(AAnswer)); }

std::size_t TSandboxCourier::PendingAnswers() const { return FImpl->Server.PendingAnswers(); }

void TSandboxCourier::ClearAnswers() { FImpl->Server.ClearAnswers(); }

std::vector<TReceivedRequest> TSandboxCourier::Requests() const { return FImpl->Server.Requests(); }

void TSandboxCourier::ClearRequests() { FImpl->Server.ClearRequests(); }

bool TSandboxCourier::WaitForRequests(std::size_t ACount, std::chrono::milliseconds ATimeout) const
{
    return FImpl->Server.WaitForRequests(ACount, ATimeout);
}

std::vector<TRegisteredShipment> TSandboxCourier::Shipments() const { return FImpl->Courier.Shipments(); }

bool TSandboxCourier::WaitForRegisteredCounters(std::size_t ACounters, std::chrono::milliseconds ATimeout) const
{
    return FImpl->Courier.WaitForRegisteredCounters(ACounters, ATimeout);
}

std::map<std::int32_t, int> TSandboxCourier::RegistrationsPerCounter() const
{
    return FImpl->Courier.RegistrationsPerCounter();
}

std::optional<std::string> TSandboxCourier::IssuedLabel(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const
{
    return FImpl->Courier.IssuedLabel(ACodiceClienteQor, AContatore);
}

std::optional<TRegisteredShipment> TSandboxCourier::Shipment(std::int32_t ANumeroSpedizione) const
{
    for (TRegisteredShipment& shipment : Shipments()) {
        if (shipment.NumeroSpedizione == ANumeroSpedizione) {
            return std::move(shipment);
        }
    }
    return std::nullopt;
}

}  // namespace qorita::sandbox
