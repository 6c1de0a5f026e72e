#include "SandboxCourier.h"

#include "Certificates.h"
#include "Envelope.h"
#include "TempFolder.h"
#include "Wsdl.h"
#include "common/Exception.h"

#ifndef CPPHTTPLIB_OPENSSL_SUPPORT
#define CPPHTTPLIB_OPENSSL_SUPPORT
#endif
#include <httplib.h>

#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <mutex>
#include <thread>

namespace qorita::sandbox {

namespace {

constexpr std::string_view SoapContentType = "text/xml; charset=utf-8";

std::string Lower(std::string_view AText)
{
    std::string result(AText);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

bool SameText(std::string_view A, std::string_view B)
{
    return Lower(A) == Lower(B);
}

// The registry file inside the state folder, which is created when missing.
std::filesystem::path RegistryFile(const std::filesystem::path& AFolder)
{
    std::filesystem::create_directories(AFolder);
    return AFolder / "registry.xml";
}

}  // namespace

std::string TReceivedRequest::Header(std::string_view AName) const
{
    for (const auto& [name, value] : Headers) {
        if (SameText(name, AName)) {
            return value;
        }
    }
    return {};
}

bool TReceivedRequest::HasHeader(std::string_view AName) const
{
    return std::any_of(Headers.begin(), Headers.end(), [&](const auto& AHeader) { return SameText(AHeader.first, AName); });
}

struct TSandboxCourier::TImpl {
    explicit TImpl(TSandboxOptions AOptions)
        : Options(std::move(AOptions)),
          Temporary(Options.StateFolder.empty() ? std::make_unique<support::TTempFolder>("qorita-sandbox") : nullptr),
          Folder(Temporary ? Temporary->Path() : std::filesystem::absolute(Options.StateFolder)),
          Courier(Options.Credentials, RegistryFile(Folder), Options.ZplLabelSize)
    {
    }

    void Handle(const httplib::Request& ARequest, httplib::Response& AResponse);
    std::optional<TScriptedAnswer> TakeScripted(const std::string& AMethod);
    void ServeScripted(const TScriptedAnswer& AAnswer, const httplib::Request& ARequest,
                       httplib::Response& AResponse);
    void ServeWsdl(const httplib::Request& ARequest, httplib::Response& AResponse) const;
    void ServeSoap(const httplib::Request& ARequest, httplib::Response& AResponse);
    std::string Authority(const httplib::Request* ARequest) const;

    TSandboxOptions Options;
    // The folder of a sandbox started without a state folder; removed with it.
    std::unique_ptr<support::TTempFolder> Temporary;
    std::filesystem::path Folder;
    TCourier Courier;
    support::TCertificateFiles Certificates;

    std::unique_ptr<httplib::SSLServer> Server;
    std::thread Thread;
    int BoundPort = 0;

    mutable std::mutex Mutex;  // guards what follows
    std::condition_variable StopSignal;
    mutable std::condition_variable RequestSignal;
    bool Stopping = false;
    std::deque<TScriptedAnswer> Scripted;
    std::vector<TReceivedRequest> Received;
};

std::string TSandboxCourier::TImpl::Authority(const httplib::Request* ARequest) const
{
    // The description points at the name the client used, when it is one of the
    // names the certificate covers.
    const std::string port = std::to_string(BoundPort);
    if (ARequest != nullptr) {
        const std::string host = ARequest->get_header_value("Host");
        if (SameText(host, "localhost:" + port) || host == "127.0.0.1:" + port) {
            return host;
        }
    }
    return "127.0.0.1:" + port;
}

std::optional<TScriptedAnswer> TSandboxCourier::TImpl::TakeScripted(const std::string& AMethod)
{
    const std::lock_guard lock(Mutex);
    if (Scripted.empty() || (!Scripted.front().Method.empty() && !SameText(Scripted.front().Method, AMethod))) {
        return std::nullopt;
    }
    TScriptedAnswer answer = std::move(Scripted.front());
    Scripted.pop_front();
    return answer;
}

void TSandboxCourier::TImpl::ServeScripted(const TScriptedAnswer& AAnswer, const httplib::Request& ARequest,
                                           httplib::Response& AResponse)
{
    if (AAnswer.Delay.count() > 0) {
        std::unique_lock lock(Mutex);
        StopSignal.wait_for(lock, AAnswer.Delay, [this] { return Stopping; });
    }
    if (AAnswer.DropConnection) {
        // Closing the socket under the TLS session: the client sees the connection
        // end without an answer. What the server then tries to write goes nowhere.
        const int socket = ARequest.ssl != nullptr ? SSL_get_fd(ARequest.ssl) : -1;
        if (socket >= 0) {
            ::shutdown(socket, SHUT_RDWR);
        }
        AResponse.status = 500;
        AResponse.set_header("Connection", "close");
        return;
    }
    AResponse.status = AAnswer.Status;
    if (AAnswer.ContentType.empty()) {
        AResponse.body = AAnswer.Body;
    } else {
        AResponse.set_content(AAnswer.Body, AAnswer.ContentType.c_str());
    }
}

void TSandboxCourier::TImpl::ServeWsdl(const httplib::Request& ARequest, httplib::Response& AResponse) const
{
    const std::string endpoint = "https://" + Authority(&ARequest) + std::string(ServicePath);
    AResponse.status = 200;
    AResponse.set_content(BuildWsdl(endpoint, Options.WsdlStyle), std::string(SoapContentType).c_str());
}

void TSandboxCourier::TImpl::ServeSoap(const httplib::Request& ARequest, httplib::Response& AResponse)
{
    const std::string contentType = Lower(ARequest.get_header_value("Content-Type"));
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
    const std::string payload = Courier.Answer(call);
    AResponse.status = 200;
    AResponse.set_content(BuildAnswerEnvelope(call.Operation, payload, WrapperNamespaceOf(Options.WsdlStyle)),
                          std::string(SoapContentType).c_str());
}

void TSandboxCourier::TImpl::Handle(const httplib::Request& ARequest, httplib::Response& AResponse)
{
    TReceivedRequest received{ARequest.method, ARequest.target, {}, ARequest.body};
    for (const auto& [name, value] : ARequest.headers) {
        received.Headers.emplace_back(name, value);
    }
    {
        const std::lock_guard lock(Mutex);
        Received.push_back(std::move(received));
    }
    RequestSignal.notify_all();
    try {
        if (const auto scripted = TakeScripted(ARequest.method)) {
            ServeScripted(*scripted, ARequest, AResponse);
            return;
        }
        const bool servicePath = SameText(ARequest.path, ServicePath);
        if (ARequest.method == "GET" && servicePath &&
            std::any_of(ARequest.params.begin(), ARequest.params.end(),
                        [](const auto& AParam) { return SameText(AParam.first, "wsdl"); })) {
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

TSandboxCourier::~TSandboxCourier()
{
    Stop();
}

void TSandboxCourier::Start()
{
    if (FImpl->Server) {
        throw Exception("The sandbox courier is already running");
    }
    FImpl->Certificates = support::EnsureCertificates(FImpl->Folder);
    // A client that goes away mid-answer must not kill the process that hosts us.
    std::signal(SIGPIPE, SIG_IGN);
    auto server = std::make_unique<httplib::SSLServer>(FImpl->Certificates.ServerCertificate.c_str(),
                                                       FImpl->Certificates.ServerKey.c_str());
    if (!server->is_valid()) {
        throw Exception("The sandbox courier cannot use its certificate in " + FImpl->Folder.string());
    }
    // Short keep-alive waits keep Stop quick when a client leaves a connection open.
    server->set_keep_alive_timeout(1);
    // The answer goes out as a header write and a body write; with Nagle's
    // algorithm the body waits for the client's delayed ACK of the header
    // (40 ms on Linux), which would add that much to every exchange and bury
    // the client's own cost in bench/run.sh. A courier's server does not wait.
    server->set_tcp_nodelay(true);
    const auto handler = [impl = FImpl.get()](const httplib::Request& ARequest, httplib::Response& AResponse) {
        impl->Handle(ARequest, AResponse);
    };
    server->Get(".*", handler);
    server->Post(".*", handler);
    server->Put(".*", handler);
    server->Delete(".*", handler);
    server->Patch(".*", handler);
    server->Options(".*", handler);

    int port = FImpl->Options.Port;
    if (port == 0) {
        port = server->bind_to_any_port("127.0.0.1");
    } else if (!server->bind_to_port("127.0.0.1", port)) {
        port = -1;
    }
    if (port <= 0) {
        throw Exception("The sandbox courier cannot listen on 127.0.0.1 port " + std::to_string(FImpl->Options.Port));
    }
    {
        const std::lock_guard lock(FImpl->Mutex);
        FImpl->Stopping = false;
    }
    FImpl->BoundPort = port;
    httplib::SSLServer* raw = server.get();
    FImpl->Server = std::move(server);
    FImpl->Thread = std::thread([raw] { raw->listen_after_bind(); });
    // The socket already queues connections; waiting for the accept loop matters
    // only because a stop issued before it runs would be lost.
    for (int i = 0; i < 5000 && !raw->is_running(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (!raw->is_running()) {
        Stop();
        throw Exception("The sandbox courier did not start serving");
    }
}

void TSandboxCourier::Stop()
{
    if (!FImpl->Server) {
        return;
    }
    {
        const std::lock_guard lock(FImpl->Mutex);
        FImpl->Stopping = true;
    }
    FImpl->StopSignal.notify_all();
    FImpl->Server->stop();
    if (FImpl->Thread.joinable()) {
        FImpl->Thread.join();
    }
    FImpl->Server.reset();
}

int TSandboxCourier::Port() const
{
    return FImpl->BoundPort;
}

std::string TSandboxCourier::EndpointUrl() const
{
    return "https://" + FImpl->Authority(nullptr) + std::string(ServicePath);
}

std::string TSandboxCourier::WsdlUrl() const
{
    return EndpointUrl() + "?WSDL";
}

std::filesystem::path TSandboxCourier::CaFile() const
{
    return FImpl->Certificates.CaCertificate;
}

std::filesystem::path TSandboxCourier::StateFolder() const
{
    return FImpl->Folder;
}

void TSandboxCourier::QueueAnswer(TScriptedAnswer AAnswer)
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Scripted.push_back(std::move(AAnswer));
}

std::size_t TSandboxCourier::PendingAnswers() const
{
    const std::lock_guard lock(FImpl->Mutex);
    return FImpl->Scripted.size();
}

void TSandboxCourier::ClearAnswers()
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Scripted.clear();
}

std::vector<TReceivedRequest> TSandboxCourier::Requests() const
{
    const std::lock_guard lock(FImpl->Mutex);
    return FImpl->Received;
}

void TSandboxCourier::ClearRequests()
{
    const std::lock_guard lock(FImpl->Mutex);
    FImpl->Received.clear();
}

bool TSandboxCourier::WaitForRequests(std::size_t ACount, std::chrono::milliseconds ATimeout) const
{
    std::unique_lock lock(FImpl->Mutex);
    return FImpl->RequestSignal.wait_for(lock, ATimeout, [&] { return FImpl->Received.size() >= ACount; });
}

std::vector<TRegisteredShipment> TSandboxCourier::Shipments() const
{
    return FImpl->Courier.Shipments();
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
