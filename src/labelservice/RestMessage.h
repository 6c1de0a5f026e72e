#pragma once

// The base of the messages exchanged with the courier's label service: one XML
// document, made empty for a request or parsed from the service's text for a
// response, and saved as a file for the exchange archive.

#include "xml/XMLDocument.h"

#include <string>

namespace qorita::labelservice {

class TRestMessage {
public:
    // An empty AXml makes a new document with the declaration
    // <?xml version="1.0" encoding="UTF-8" standalone="yes"?> and no root; any
    // other text is parsed (TXMLDocument::Parse) and a parse error is thrown.
    explicit TRestMessage(const std::string& AXml);
    virtual ~TRestMessage() = default;
    TRestMessage(const TRestMessage&) = delete;
    TRestMessage& operator=(const TRestMessage&) = delete;

    const xml::IXMLDocument& XMLDocument() const { return FXMLDocument; }
    // The whole document, declaration included when it has one, as UTF-8.
    void SaveToFile(const std::string& AFileName) const;
    // The same with the text of the masked elements replaced in the file only.
    void SaveToFile(const std::string& AFileName, const xml::TTextMask& AMask) const;

protected:
    struct TParseAlways {};
    // For responses: the text is always parsed, so an empty answer is a parse
    // error and never an empty document without root.
    TRestMessage(TParseAlways, const std::string& AXml);
    // For responses read already, as a document of their own.
    explicit TRestMessage(xml::IXMLDocument ADocument);

private:
    xml::IXMLDocument FXMLDocument;
};

}  // namespace qorita::labelservice
