#pragma once

// The courier's service description (WSDL 1.1): loading it (and, when needed,
// the descriptions it imports) and reading from it where and how to call an
// operation of the ZanWebService / ZanWebServiceSoap port.

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qorita::http {
class THttpClient;
}

namespace qorita::labelservice {

// Used for the wrapper namespace when the description names none (neither in
// the input's soap:body nor through the element of the input message's part),
// and for the SOAP action when the port's binding is missing.
inline constexpr const char* ServiceNamespace = "https://labelservice.example/";
inline constexpr const char* ServiceName = "ZanWebService";
inline constexpr const char* PortName = "ZanWebServiceSoap";

// A description and each of its imports: a description is tens of kilobytes,
// and up to sixteen are held at once while a call is prepared.
inline constexpr std::size_t DescriptionMaxBytes = 2u * 1024u * 1024u;

struct TServiceBinding {
    std::string Endpoint;
    std::string SoapAction;  // may be empty
    std::string WrapperNamespace;
};

class TServiceDescription {
public:
    // ALocation is trimmed; an http(s) location is downloaded through AClient
    // (which must outlive this object), anything else is read as a local file.
    // Fails with "Unable to load WSDL File/Location: ...".
    TServiceDescription(const std::string& ALocation, http::THttpClient& AClient);
    ~TServiceDescription();
    TServiceDescription(const TServiceDescription&) = delete;
    TServiceDescription& operator=(const TServiceDescription&) = delete;

    const std::string& Location() const;

    // Endpoint, SOAP action and wrapper namespace for the operation. Fails with
    // "Unable to retrieve the URL endpoint ..." when the port has no address.
    TServiceBinding Resolve(const std::string& AOperation);

    // What the description lacks of the ZanWebService service, its
    // ZanWebServiceSoap port, the port's binding and the operations named, one
    // item each ("operation 'DeleteSped'"); empty when it has them all.
    std::vector<std::string> Missing(const std::vector<std::string>& AOperations);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::labelservice
