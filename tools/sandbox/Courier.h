#pragma once

#include "Registry.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::sandbox {

struct TSoapCall;

// The account the courier accepts. An empty site accepts any site code, a customer
// code of 0 accepts any customer code; the password is always checked. Limited to
// what the customer's request documents can carry (site 2 characters, customer
// code up to 999999, password up to 10 characters), so that every request of a
// correctly configured customer passes.
struct TCredentials {
    std::string SedeQor;
    std::int32_t CodiceClienteQor = 0;
    std::string PasswordClienteQor = "sandbox";
};

// The courier's answers, as the answer documents that go into the result element
// of each operation (serialised XML of one element, namespace-free).
class TCourier {
public:
    // Fails with qorita::Exception when the credentials exceed what a request can carry.
    // AZplLabelSize pads every ZPL label to at least that many bytes (0: no padding).
    explicit TCourier(TCredentials ACredentials = {}, std::filesystem::path AStateFile = {},
                      std::size_t AZplLabelSize = 0);

    static bool IsOperation(std::string_view AOperation);
    // Dispatches on the operation; the call must name one of the three operations.
    std::string Answer(const TSoapCall& ACall);

    // AddParcel: XMLInfoParcel holds the Info document of the request.
    std::string AddParcel(std::string_view AXmlInfoParcel);
    // CloseWorkDayByShipmentNumber: _xmlRequest holds its Info document.
    std::string CloseWorkDayByShipmentNumber(std::string_view AXmlRequest);
    // DeleteSped: four plain parameters.
    std::string DeleteSped(std::string_view ASedeQor, std::string_view ACodiceClienteQor,
                           std::string_view APasswordClienteQor, std::string_view ANumSpedizione);

    std::vector<TRegisteredShipment> Shipments() const;
    // How many registered parcels carry each counter (more than one: charged twice).
    std::map<std::int32_t, int> RegistrationsPerCounter() const;
    // Waits until parcels with at least ACounters distinct counters are
    // registered; false when ATimeout passed first. Registration comes before
    // the answer is sent: a test learns here that the courier has the parcels.
    bool WaitForRegisteredCounters(std::size_t ACounters, std::chrono::milliseconds ATimeout) const;
    // The label first issued for the customer's counter since the courier
    // started, or nothing when none was.
    std::optional<std::string> IssuedLabel(std::int32_t ACodiceClienteQor, std::int32_t AContatore) const;

private:
    bool Accepts(std::string_view ASedeQor, std::string_view ACodiceClienteQor,
                 std::string_view APasswordClienteQor) const;
    // The shipment registered under this number for this customer, or nullptr.
    const TRegisteredShipment* FindOwn(std::int32_t ANumber, std::int32_t ACodiceClienteQor) const;

    TCredentials FCredentials;
    std::size_t FZplLabelSize = 0;
    mutable std::mutex FMutex;                    // one operation at a time, as the registry needs
    mutable std::condition_variable FRegistered;  // signalled after parcels are registered
    TShipmentRegistry FRegistry;
    std::map<std::pair<std::int32_t, std::int32_t>, std::string> FIssuedLabels;
};

}  // namespace qorita::sandbox
