#include "xml/RestMessage.h"

#include <utility>

namespace qorita::xml {

namespace {

IXMLDocument NewDocument()
{
    IXMLDocument document = TXMLDocument::Create();
    document->SetEncoding("UTF-8");
    document->SetStandalone("yes");
    return document;
}

}  // namespace

TRestMessage::TRestMessage(const std::string& AXml)
    : FXMLDocument(AXml.empty() ? NewDocument() : TXMLDocument::Parse(AXml))
{
}

TRestMessage::TRestMessage(TParseAlways, const std::string& AXml) : FXMLDocument(TXMLDocument::Parse(AXml)) {}

TRestMessage::TRestMessage(IXMLDocument ADocument) : FXMLDocument(std::move(ADocument)) {}

void TRestMessage::SaveToFile(const std::string& AFileName) const { FXMLDocument->SaveToFile(AFileName); }

void TRestMessage::SaveToFile(const std::string& AFileName, const TTextMask& AMask) const
{
    FXMLDocument->SaveToFile(AFileName, AMask);
}

}  // namespace qorita::xml
