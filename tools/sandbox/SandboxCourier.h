#pragma once

#include "Courier.h"
#include "Registry.h"
#include "ScriptedServer.h"
#include "Wsdl.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::sandbox {

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
    // The payload inherits the answer wrapper's default namespace instead of
    // undeclaring it (xmlns=""), as document/literal services commonly answer.
    bool InheritedPayloadNamespace = false;
    // Answers sent in chunks instead of whole with Content-Length.
    bool Chunked = false;
};

// The sandbox courier: an HTTPS server on 127.0.0.1 (a TScriptedServer) that serves
// the WSDL and answers AddParcel, CloseWorkDayByShipmentNumber and DeleteSped like
// the courier, or with answers a test queued. Thread-safe: a test may queue answers
// and read requests while the server runs.
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
    // How many registered parcels carry each counter: more than one is a parcel
    // charged twice.
    std::map<std::int32_t, int> RegistrationsPerCounter() const;
    // Waits until parcels with at least ACounters distinct counters are
    // registered (before their answer goes out); false when ATimeout passed first.
    bool WaitForRegisteredCounters(std::size_t ACounters, std::chrono::milliseconds ATimeout) const;
    // The label issued for the customer's counter, or nothing.
    std::optional<std::string> IssuedLabel(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::sandbox
