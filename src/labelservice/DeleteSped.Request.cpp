#include "labelservice/DeleteSped.Request.h"

namespace qorita::deletesped_request {

TXMLDeleteSpedType::TXMLDeleteSpedType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode)
{
}

IXMLDeleteSpedType GetDeleteSped(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLDeleteSpedType>(ADocument->BindRoot("DeleteSped", &xml::MakeNode<TXMLDeleteSpedType>, ""));
}

TDeleteSpedRequest::TDeleteSpedRequest() : TRestMessage(std::string()), FInfo(GetDeleteSped(XMLDocument())) {}

}  // namespace qorita::deletesped_request
