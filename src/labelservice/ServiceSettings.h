#pragma once

// Where the courier's service description lives, which extra certificate
// authority we trust for it and how long one request may take. Filled by the
// caller from the optional TABX parameters QORITA_ServiceUrl,
// QORITA_ServiceCaFile and QORITA_ServiceTimeout, and when the run that calls
// must be over (QORITA_RunTimeout).

#include <chrono>
#include <optional>
#include <string>

namespace qorita::labelservice {

// Used when QORITA_ServiceUrl is empty. The courier publishes its description
// next to the service itself.
inline constexpr const char* DefaultServiceUrl = "https://labelservice.example/zanwebservice.asmx?WSDL";

struct TServiceSettings {
    // Location of the service description; empty means DefaultServiceUrl.
    std::string ServiceUrl;
    // PEM file of certificate authorities trusted in addition to the system
    // store; empty means the system store alone.
    std::string CaFile;
    // The most one HTTP request of the service may take, answer included
    // (QORITA_ServiceTimeout).
    std::chrono::seconds Timeout{600};
    // When the whole run must be over (QORITA_RunTimeout, RunTimeout long):
    // no request of the service goes past it. None: no such bound.
    std::optional<std::chrono::steady_clock::time_point> RunDeadline = std::nullopt;
    std::chrono::seconds RunTimeout{900};
};

}  // namespace qorita::labelservice
