#include "labelservice/ServiceCheck.h"

#include "common/Exception.h"
#include "common/Text.h"
#include "labelservice/Rest.Description.h"
#include "labelservice/http/HttpClient.h"

#include <vector>

namespace qorita::labelservice {

namespace {

const std::vector<std::string> Operations{"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"};

bool IsHttps(const std::string& AUrl) { return StartsWithNoCase(AUrl, "https://"); }

}  // namespace

std::string DescriptionLocation(const TServiceSettings& ASettings)
{
    return std::string(Trim(ASettings.ServiceUrl.empty() ? std::string_view(DefaultServiceUrl) : ASettings.ServiceUrl));
}

std::string CheckDescription(const TServiceSettings& ASettings)
{
    const std::string location = DescriptionLocation(ASettings);
    if (!IsHttps(location))
        throw Exception("not an https location: the description must come over verified TLS (QORITA_ServiceUrl)");
    http::THttpClient client(ASettings.CaFile);
    TServiceDescription description(location, client);
    const std::vector<std::string> missing = description.Missing(Operations);
    if (!missing.empty()) throw Exception("the description lacks " + Join(missing, ", "));
    std::string endpoint;
    for (const std::string& operation : Operations) endpoint = description.Resolve(operation).Endpoint;
    return endpoint;
}

void CheckEndpoint(const std::string& AEndpoint, const TServiceSettings& ASettings)
{
    if (!IsHttps(AEndpoint)) throw Exception("not an https location: the requests would travel unencrypted");
    // A client of its own: the description's connection must not stand in for
    // a handshake with the endpoint.
    http::THttpClient client(ASettings.CaFile);
    client.Connect(AEndpoint);
}

}  // namespace qorita::labelservice
