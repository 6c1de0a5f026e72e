#include "labelservice/DeleteSped.Response.h"

namespace qorita::deletesped_response {

TXMLDeleteSpedResultType::TXMLDeleteSpedResultType(const xml::IXMLDocument& ADocument, _xmlNode* ANode)
    : TXMLNode(ADocument, ANode)
{
}

std::string TXMLDeleteSpedResultType::Value() { return Text(); }

IXMLDeleteSpedResultType GetDeleteSpedResult(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLDeleteSpedResultType>(
        ADocument->BindRoot("DescrizioneErrore", &xml::MakeNode<TXMLDeleteSpedResultType>, ""));
}

TDeleteSpedResponse::TDeleteSpedResponse(const std::string& AXml)
    : TRestMessage(TParseAlways{}, AXml), FDeleteSpedResult(GetDeleteSpedResult(XMLDocument()))
{
}

}  // namespace qorita::deletesped_response
