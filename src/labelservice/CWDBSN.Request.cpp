#include "labelservice/CWDBSN.Request.h"

#include "common/Utf8.h"
#include "xml/XmlValue.h"

namespace qorita::cwdbsn_request {

using xml::CapInteger;

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

std::int32_t TXMLParcelType::NumeroDiSpedizioneQORDaConfermare()
{
    return ChildInteger("NumeroDiSpedizioneQORDaConfermare");
}

void TXMLParcelType::SetNumeroDiSpedizioneQORDaConfermare(std::int32_t AValue)
{
    SetChildInteger("NumeroDiSpedizioneQORDaConfermare", CapInteger(AValue, 999999999));
}

TXMLParcelTypeList::TXMLParcelTypeList(const xml::IXMLDocument& ADocument, _xmlNode* AHost)
    : TXMLNodeCollection(ADocument, AHost, "Parcel", &xml::MakeNode<TXMLParcelType>)
{
}

IXMLParcelType TXMLParcelTypeList::Add() { return xml::Supports<TXMLParcelType>(TXMLNodeCollection::Add()); }

IXMLParcelType TXMLParcelTypeList::Insert(int AIndex)
{
    return xml::Supports<TXMLParcelType>(TXMLNodeCollection::Insert(AIndex));
}

IXMLParcelType TXMLParcelTypeList::Parcel(int AIndex)
{
    return xml::Supports<TXMLParcelType>(TXMLNodeCollection::Item(AIndex));
}

TXMLInfoType::TXMLInfoType(const xml::IXMLDocument& ADocument, _xmlNode* ANode)
    : TXMLNode(ADocument, ANode), FParcel(std::make_shared<TXMLParcelTypeList>(ADocument, ANode))
{
    RegisterChildNode("Parcel", &xml::MakeNode<TXMLParcelType>);
}

std::string TXMLInfoType::SedeQor() { return ChildText("SedeQor"); }
std::int32_t TXMLInfoType::CodiceClienteQor() { return ChildInteger("CodiceClienteQor"); }
std::string TXMLInfoType::PasswordClienteQor() { return ChildText("PasswordClienteQor"); }

void TXMLInfoType::SetSedeQor(std::string_view AValue) { SetChildText("SedeQor", CutUtf16(AValue, 2)); }
void TXMLInfoType::SetCodiceClienteQor(std::int32_t AValue)
{
    SetChildInteger("CodiceClienteQor", CapInteger(AValue, 999999));
}
void TXMLInfoType::SetPasswordClienteQor(std::string_view AValue)
{
    SetChildText("PasswordClienteQor", CutUtf16(AValue, 10));
}

IXMLInfoType GetInfo(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLInfoType>(ADocument->BindRoot("Info", &xml::MakeNode<TXMLInfoType>, ""));
}

TCWDBSNRequest::TCWDBSNRequest() : TRestMessage(std::string()), FInfo(GetInfo(XMLDocument())) {}

}  // namespace qorita::cwdbsn_request
