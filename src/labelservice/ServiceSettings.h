#pragma once

// Where the courier's service description lives and which extra certificate
// authority we trust for it. Filled by the caller from the optional TABX
// parameters QORITA_ServiceUrl and QORITA_ServiceCaFile.

#include <string>

namespace qorita::labelservice {

// Used when QORITA_ServiceUrl is empty. The courier publishes its description
// next to the service itself.
inline constexpr const char* DefaultServiceUrl =
    "https://labelservice.example/zanwebservice.asmx?WSDL";

struct TServiceSettings {
    // Location of the service description; empty means DefaultServiceUrl.
    std::string ServiceUrl;
    // PEM file of certificate authorities trusted in addition to the system
    // store; empty means the system store alone.
    std::string CaFile;
};

}  // namespace qorita::labelservice
