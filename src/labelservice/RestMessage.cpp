#include "labelservice/RestMessage.h"

#include <utility>

namespace qorita::labelservice {

namespace {

xml::IXMLDocument NewDocument()
{
    xml::IXMLDocument document = xml::TXMLDocument::Create();
    document->SetEncoding("UTF-8");
    document->SetStandalone("yes");
    return document;
}

}  // namespace

TRestMessage::TRestMessage(const std::string& AXml)
    : FXMLDocument(AXml.empty() ? NewDocument() : xml::TXMLDocument::Parse(AXml))
{
}

TRestMessage::TRestMessage(TParseAlways, const std::string& AXml) : FXMLDocument(xml::TXMLDocument::Parse(AXml)) {}

TRestMessage::TRestMessage(xml::IXMLDocument ADocument) : FXMLDocument(std::move(ADocument)) {}

void TRestMessage::SaveToFile(const std::string& AFileName) const { FXMLDocument->SaveToFile(AFileName); }

void TRestMessage::SaveToFile(const std::string& AFileName, const xml::TTextMask& AMask) const
{
    FXMLDocument->SaveToFile(AFileName, AMask);
}

}  // namespace qorita::labelservice
