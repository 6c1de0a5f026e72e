#include "labelservice/CWDBSN.Request.h"

#include "common/Utf8.h"

namespace qorita::cwdbsn_request {

using labelservice::CapInteger;

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

std::int32_t TXMLParcelType::NumeroDiSpedizioneQORDaConfermare()
{
    return ChildInteger("NumeroDiSpedizioneQORDaConfermare");
}

void TXMLParcelType::SetNumeroDiSpedizioneQORDaConfermare(std::int32_t AValue)
{
    SetChildInteger("NumeroDiSpedizioneQORDaConfermare", CapInteger(AValue, 999999999));
}

}  // namespace qorita::cwdbsn_request
