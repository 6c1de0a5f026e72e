#pragma once

// The CloseWorkDayByShipmentNumber request: the courier account and one Parcel
// holding the shipment number to confirm. Writers cut and cap like the AddParcel
// request and never fail.

#include "labelservice/InfoRequest.h"
#include "labelservice/MessageElements.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::cwdbsn_request {

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    labelservice::TIntegerElement NumeroDiSpedizioneQORDaConfermare{*this, "NumeroDiSpedizioneQORDaConfermare",
                                                                    999999999};
};

using TXMLParcelTypeList = labelservice::TXMLParcelList<TXMLParcelType>;
using TXMLInfoType = labelservice::TXMLRequestInfo<TXMLParcelType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;
using IXMLInfoType = std::shared_ptr<TXMLInfoType>;

// The declaration and an empty Info element.
class TCWDBSNRequest : public labelservice::TInfoRequest<TXMLParcelType> {};

}  // namespace qorita::cwdbsn_request
