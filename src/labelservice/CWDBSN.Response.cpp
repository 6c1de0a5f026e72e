#include "labelservice/CWDBSN.Response.h"

namespace qorita::cwdbsn_response {

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

bool TXMLParcelType::HasError() { return esito() != "OK"; }

std::string TXMLCloseWorkDayByShipmentNumberResultType::xmlns() const { return Attribute("xmlns"); }
void TXMLCloseWorkDayByShipmentNumberResultType::Setxmlns(std::string_view AValue) { SetAttribute("xmlns", AValue); }
bool TXMLCloseWorkDayByShipmentNumberResultType::HasError() { return DescrizioneErrore() != "OK"; }

IXMLCloseWorkDayByShipmentNumberResultType GetCloseWorkDayByShipmentNumberResult(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLCloseWorkDayByShipmentNumberResultType>(ADocument->BindRoot(
        "CloseWorkDayByShipmentNumberResult", &xml::MakeNode<TXMLCloseWorkDayByShipmentNumberResultType>, ""));
}

TCWDBSNResponse::TCWDBSNResponse(const std::string& AXml)
    : TRestMessage(TParseAlways{}, AXml),
      FCloseWorkDayByShipmentNumberResult(GetCloseWorkDayByShipmentNumberResult(XMLDocument()))
{
    const IXMLParcelTypeList& parcels = FCloseWorkDayByShipmentNumberResult->Parcel();
    const int count = parcels->Count();
    for (int i = 0; i < count; ++i) {
        IXMLParcelType parcel = parcels->Parcel(i);
        if (parcel->HasError()) FParcelErrors.push_back(parcel->esito());
    }
}

}  // namespace qorita::cwdbsn_response
