#pragma once

// The CloseWorkDayByShipmentNumber answer: the overall outcome in
// DescrizioneErrore ("OK" when confirmed) and one Parcel per shipment number with
// its own esito; the esito of every item that is not "OK" is gathered into
// ParcelErrors when the answer is read.

#include "labelservice/InfoRequest.h"
#include "labelservice/MessageElements.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::cwdbsn_response {

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    labelservice::TIntegerElement NumeroDiSpedizioneQORDaConfermare{*this, "NumeroDiSpedizioneQORDaConfermare"};
    labelservice::TTextElement esito{*this, "esito"};

    // True unless esito is exactly "OK" (a missing esito is added empty).
    bool HasError();
};

using TXMLParcelTypeList = labelservice::TXMLParcelList<TXMLParcelType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;

class TXMLCloseWorkDayByShipmentNumberResultType : public labelservice::TXMLParcelHost<TXMLParcelType> {
public:
    using TXMLParcelHost::TXMLParcelHost;

    labelservice::TTextElement DescrizioneErrore{*this, "DescrizioneErrore"};

    // The root's xmlns attribute (its default namespace declaration).
    std::string xmlns() const;
    void Setxmlns(std::string_view AValue);
    // True unless DescrizioneErrore is exactly "OK".
    bool HasError();
};
using IXMLCloseWorkDayByShipmentNumberResultType = std::shared_ptr<TXMLCloseWorkDayByShipmentNumberResultType>;

// The document's root bound as CloseWorkDayByShipmentNumberResult, in any
// namespace; "Interface not supported" when the root has another name.
IXMLCloseWorkDayByShipmentNumberResultType GetCloseWorkDayByShipmentNumberResult(const xml::IXMLDocument& ADocument);

class TCWDBSNResponse : public labelservice::TRestMessage {
public:
    // Parses the answer (an empty or malformed text throws the parse message),
    // binds the root and gathers the esito of every item in error.
    explicit TCWDBSNResponse(const std::string& AXml);

    const IXMLCloseWorkDayByShipmentNumberResultType& CloseWorkDayByShipmentNumberResult() const
    {
        return FCloseWorkDayByShipmentNumberResult;
    }
    const std::vector<std::string>& ParcelErrors() const { return FParcelErrors; }

private:
    IXMLCloseWorkDayByShipmentNumberResultType FCloseWorkDayByShipmentNumberResult;
    std::vector<std::string> FParcelErrors;
};

}  // namespace qorita::cwdbsn_response
