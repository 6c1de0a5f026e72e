#pragma once

// The courier's service as the deployment check (-Verifica) sees it: reached
// the way a call reaches it, but no operation is ever called and nothing is
// posted. A failure raises an Exception whose message says what is wrong.

#include "labelservice/ServiceSettings.h"

#include <string>

namespace qorita::labelservice {

// ASettings.ServiceUrl, or DefaultServiceUrl when it is empty.
std::string DescriptionLocation(const TServiceSettings& ASettings);

// Downloads the service description over verified TLS (the location must be
// https) and checks that it names the service, the port, the port's binding
// with the three operations, and an endpoint. Returns the endpoint.
std::string CheckDescription(const TServiceSettings& ASettings);

// Opens a verified TLS connection to the endpoint and closes it again without
// sending a request.
void CheckEndpoint(const std::string& AEndpoint, const TServiceSettings& ASettings);

}  // namespace qorita::labelservice
