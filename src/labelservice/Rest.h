#pragma once

// The courier's label service as SOAP operations on texts. A proxy serves one
// facade call: it downloads the service description on its first operation,
// posts one envelope per operation and hands back the payload's markup.

#include "labelservice/ServiceSettings.h"
#include "xml/XMLForward.h"

#include <memory>
#include <string>

namespace qorita::http {
struct THttpLimits;
}

namespace qorita::labelservice {

// The courier's three operations; the SOAP client behind GetLabelServiceSoap
// implements them.
class TLabelServiceSoap {
public:
    virtual ~TLabelServiceSoap() = default;

    // Each returns the payload's XML text; any failure raises an Exception.
    virtual std::string AddParcel(const std::string& XMLInfoParcel) = 0;
    virtual std::string CloseWorkDayByShipmentNumber(const std::string& _xmlRequest) = 0;
    virtual std::string DeleteSped(const std::string& SedeQor, const std::string& CodiceClienteQor,
                                   const std::string& PasswordClienteQor, const std::string& NumSpedizione) = 0;

    // AddParcel's payload as a document of its own, taken out of the answer's
    // tree rather than written out and read again: with labels it is nearly
    // all of the answer. Fails as AddParcel does, and as reading its text would.
    virtual xml::IXMLDocument AddParcelDocument(const std::string& XMLInfoParcel) = 0;
};

// A fresh proxy for one call. The description comes from ASettings.ServiceUrl
// (DefaultServiceUrl when empty); the server is verified against the system
// store plus ASettings.CaFile when set.
std::shared_ptr<TLabelServiceSoap> GetLabelServiceSoap(const TServiceSettings& ASettings);

// The same with other time-outs and answer limit; for tests only.
std::shared_ptr<TLabelServiceSoap> GetLabelServiceSoap(const TServiceSettings& ASettings,
                                                       const http::THttpLimits& ALimits);

}  // namespace qorita::labelservice
