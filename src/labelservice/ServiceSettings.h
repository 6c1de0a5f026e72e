#pragma once

// Where the courier's service description lives, which extra certificate
// authority we trust for it and how long one request may take. Filled by the
// caller from the optional TABX parameters QORITA_ServiceUrl,
// QORITA_ServiceCaFile and QORITA_ServiceTimeout.

#include <chrono>
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
};

}  // namespace qorita::labelservice
