#include "labelservice/DeleteSped.Request.h"

namespace qorita::deletesped_request {

TXMLDeleteSpedType::TXMLDeleteSpedType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode)
{
}

std::string TXMLDeleteSpedType::SedeQor() { return ChildText("SedeQor"); }
std::int32_t TXMLDeleteSpedType::CodiceClienteQor() { return ChildInteger("CodiceClienteQor"); }
std::string TXMLDeleteSpedType::PasswordClienteQor() { return ChildText("PasswordClienteQor"); }
std::int32_t TXMLDeleteSpedType::NumSpedizione() { return ChildInteger("NumSpedizione"); }
void TXMLDeleteSpedType::SetSedeQor(std::string_view AValue) { SetChildText("SedeQor", AValue); }
void TXMLDeleteSpedType::SetCodiceClienteQor(std::int32_t AValue) { SetChildInteger("CodiceClienteQor", AValue); }
void TXMLDeleteSpedType::SetPasswordClienteQor(std::string_view AValue) { SetChildText("PasswordClienteQor", AValue); }
void TXMLDeleteSpedType::SetNumSpedizione(std::int32_t AValue) { SetChildInteger("NumSpedizione", AValue); }

IXMLDeleteSpedType GetDeleteSped(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLDeleteSpedType>(ADocument->BindRoot("DeleteSped", &xml::MakeNode<TXMLDeleteSpedType>, ""));
}

TDeleteSpedRequest::TDeleteSpedRequest() : TRestMessage(std::string()), FInfo(GetDeleteSped(XMLDocument())) {}

}  // namespace qorita::deletesped_request
