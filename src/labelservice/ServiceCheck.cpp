#include "labelservice/ServiceCheck.h"

#include "common/Exception.h"
#include "labelservice/Rest.Description.h"
#include "labelservice/http/HttpClient.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace qorita::labelservice {

namespace {

const std::vector<std::string> Operations{"AddParcel", "CloseWorkDayByShipmentNumber", "DeleteSped"};

std::string Trim(const std::string& AText)
{
    const auto first = AText.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return AText.substr(first, AText.find_last_not_of(" \t\r\n") - first + 1);
}

bool IsHttps(const std::string& AUrl)
{
    std::string scheme = AUrl.substr(0, 8);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return scheme == "https://";
}

}  // namespace

std::string DescriptionLocation(const TServiceSettings& ASettings)
{
    return Trim(ASettings.ServiceUrl.empty() ? std::string(DefaultServiceUrl) : ASettings.ServiceUrl);
}

std::string CheckDescription(const TServiceSettings& ASettings)
{
    const std::string location = DescriptionLocation(ASettings);
    if (!IsHttps(location))
        throw Exception("not an https location: the description must come over verified TLS (QORITA_ServiceUrl)");
    http::THttpClient client(ASettings.CaFile);
    TServiceDescription description(location, client);
    const std::vector<std::string> missing = description.Missing(Operations);
    if (!missing.empty()) {
        std::string items;
        for (const std::string& item : missing) items += (items.empty() ? "" : ", ") + item;
        throw Exception("the description lacks " + items);
    }
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
