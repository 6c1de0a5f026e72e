#pragma once

// The courier's label service as SOAP operations. One client serves one facade
// call: it downloads the service description on its first operation, posts one
// envelope per operation and hands back the payload.

#include "labelservice/ServiceSettings.h"
#include "xml/XMLForward.h"

#include <memory>
#include <string>

#include "labelservice/http/HttpClient.h"

namespace qorita::labelservice {

// The limits of a run's client: connecting 60 s, 60 s without progress while
// sending or receiving, the whole request ASettings.Timeout.
http::THttpLimits ServiceLimits(const TServiceSettings& ASettings);

class TLabelServiceSoap {
public:
    // The description comes from ASettings.ServiceUrl (DefaultServiceUrl when
    // empty); the server is verified against the system store plus
    // ASettings.CaFile when set. Nothing is sent before the first operation.
    explicit TLabelServiceSoap(const TServiceSettings& ASettings);
    // The same with other time-outs and answer limit; for tests.
    TLabelServiceSoap(const TServiceSettings& ASettings, const http::THttpLimits& ALimits);
    ~TLabelServiceSoap();
    TLabelServiceSoap(const TLabelServiceSoap&) = delete;
    TLabelServiceSoap& operator=(const TLabelServiceSoap&) = delete;

    // Any failure raises an Exception. AddParcel's payload comes as a document
    // of its own, taken out of the answer's tree rather than written out and
    // read again: with labels it is nearly all of the answer. The other two
    // return the payload's XML text.
    xml::IXMLDocument AddParcel(const std::string& AXMLInfoParcel);
    std::string CloseWorkDayByShipmentNumber(const std::string& AXmlRequest);
    std::string DeleteSped(const std::string& ASedeQor, const std::string& ACodiceClienteQor,
                           const std::string& APasswordClienteQor, const std::string& ANumSpedizione);

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::labelservice
