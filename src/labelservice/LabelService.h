#pragma once

// The courier's label service for the service exchanges: a request document
// in, the matching response document out. Each call uses a fresh client (its
// own description download and connection) and shares nothing with others.
// The request is read, never kept; any failure raises an Exception and
// returns nothing.

#include "labelservice/ServiceSettings.h"

#include <memory>

namespace qorita::addparcel_request {
class TAddParcelRequest;
}
namespace qorita::addparcel_response {
class TAddParcelResponse;
}
namespace qorita::cwdbsn_request {
class TCWDBSNRequest;
}
namespace qorita::cwdbsn_response {
class TCWDBSNResponse;
}
namespace qorita::deletesped_request {
class TDeleteSpedRequest;
}
namespace qorita::deletesped_response {
class TDeleteSpedResponse;
}

namespace qorita::labelservice {

std::unique_ptr<addparcel_response::TAddParcelResponse> AddParcel(const addparcel_request::TAddParcelRequest& ARequest,
                                                                  const TServiceSettings& ASettings);

std::unique_ptr<cwdbsn_response::TCWDBSNResponse> CloseWorkDayByShipmentNumber(
    const cwdbsn_request::TCWDBSNRequest& ARequest, const TServiceSettings& ASettings);

std::unique_ptr<deletesped_response::TDeleteSpedResponse> DeleteSped(
    const deletesped_request::TDeleteSpedRequest& ARequest, const TServiceSettings& ASettings);

}  // namespace qorita::labelservice
