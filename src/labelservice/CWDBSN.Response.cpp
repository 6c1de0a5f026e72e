#include "labelservice/CWDBSN.Response.h"

namespace qorita::cwdbsn_response {

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

std::int32_t TXMLParcelType::NumeroDiSpedizioneQORDaConfermare()
{
    return ChildInteger("NumeroDiSpedizioneQORDaConfermare");
}
std::string TXMLParcelType::esito() { return ChildText("esito"); }
void TXMLParcelType::SetNumeroDiSpedizioneQORDaConfermare(std::int32_t AValue)
{
    SetChildInteger("NumeroDiSpedizioneQORDaConfermare", AValue);
}
void TXMLParcelType::Setesito(std::string_view AValue) { SetChildText("esito", AValue); }
bool TXMLParcelType::HasError() { return esito() != "OK"; }

std::string TXMLCloseWorkDayByShipmentNumberResultType::xmlns() const { return Attribute("xmlns"); }
std::string TXMLCloseWorkDayByShipmentNumberResultType::DescrizioneErrore() { return ChildText("DescrizioneErrore"); }
void TXMLCloseWorkDayByShipmentNumberResultType::Setxmlns(std::string_view AValue) { SetAttribute("xmlns", AValue); }
void TXMLCloseWorkDayByShipmentNumberResultType::SetDescrizioneErrore(std::string_view AValue)
{
    SetChildText("DescrizioneErrore", AValue);
}
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
