#pragma once

#include "Courier.h"
#include "Registry.h"
#include "Wsdl.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::sandbox {

// An exact answer queued by a test, served instead of the courier's own answer.
struct TScriptedAnswer {
    int Status = 200;
    std::string ContentType = "text/xml; charset=utf-8";
    std::string Body;
    // Waited before answering (interrupted by Stop).
    std::chrono::milliseconds Delay{0};
    // Closes the connection without writing any answer.
    bool DropConnection = false;
    // "GET" or "POST": the answer waits for the next request of that method; empty:
    // the next request of any method. Answers are served in queue order.
    std::string Method;
};

// A request as the sandbox received it.
struct TReceivedRequest {
    std::string Method;
    std::string Path;  // the request target as sent, query included ("/zanwebservice.asmx?WSDL")
    std::vector<std::pair<std::string, std::string>> Headers;
    std::string Body;

    // The first header of that name (compared without regard to case), empty when absent.
    std::string Header(std::string_view AName) const;
    bool HasHeader(std::string_view AName) const;
};

struct TSandboxOptions {
    int Port = 0;  // 0: any free port
    // Certificates and the shipment registry live here and are reused by the next
    // run; empty: a fresh temporary folder, removed when the sandbox is destroyed.
    std::filesystem::path StateFolder;
    TCredentials Credentials;
    // Every ZPL label padded to at least this many bytes (0: the plain label of
    // about one kilobyte), for measurements with labels of a realistic size.
    std::size_t ZplLabelSize = 0;
    // How the description names the wrapper namespace; requests must use it.
    TWsdlStyle WsdlStyle = TWsdlStyle::BodyNamespace;
};

// The sandbox courier: an HTTPS server on 127.0.0.1 that serves the WSDL and answers
// AddParcel, CloseWorkDayByShipmentNumber and DeleteSped like the courier, or with
// answers a test queued. Thread-safe: a test may queue answers and read requests
// while the server runs.
class TSandboxCourier {
public:
    explicit TSandboxCourier(TSandboxOptions AOptions = {});
    ~TSandboxCourier();
    TSandboxCourier(const TSandboxCourier&) = delete;
    TSandboxCourier& operator=(const TSandboxCourier&) = delete;

    // Prepares the certificates, binds the port and returns once connections are
    // accepted. Fails with qorita::Exception.
    void Start();
    // Stops serving and waits for the server thread; safe to call twice.
    void Stop();

    int Port() const;
    std::string EndpointUrl() const;  // https://127.0.0.1:PORT/zanwebservice.asmx
    std::string WsdlUrl() const;      // EndpointUrl() + "?WSDL"
    std::filesystem::path CaFile() const;
    std::filesystem::path StateFolder() const;

    void QueueAnswer(TScriptedAnswer AAnswer);
    std::size_t PendingAnswers() const;
    void ClearAnswers();

    std::vector<TReceivedRequest> Requests() const;
    void ClearRequests();
    // Waits until at least ACount requests have been received (before they are
    // answered); false when ATimeout passed first.
    bool WaitForRequests(std::size_t ACount, std::chrono::milliseconds ATimeout) const;

    // What the courier registered, ordered by shipment number.
    std::vector<TRegisteredShipment> Shipments() const;
    std::optional<TRegisteredShipment> Shipment(std::int32_t ANumeroSpedizione) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::sandbox
