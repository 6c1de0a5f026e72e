#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qorita::sandbox {

// A parsed element as a plain value tree. The courier only ever reads small
// documents (envelopes, request documents, its own state file), so copying them
// out of libxml2 keeps the C handles inside one file.
struct TXmlElement {
    std::string Namespace;  // empty when the element has none
    std::string LocalName;
    std::string Text;  // all character data below the element, in order
    std::vector<TXmlElement> Children;

    // The first child element with this local name (any namespace), or nullptr.
    const TXmlElement* Child(std::string_view ALocalName) const;
    // The text of that child, or empty text when there is none.
    std::string ChildText(std::string_view ALocalName) const;
    bool HasChild(std::string_view ALocalName) const { return Child(ALocalName) != nullptr; }
};

// Parses a document held in memory and returns its root element. Network access,
// entity substitution and DTD loading stay off: the text comes from strangers.
// Fails with qorita::Exception carrying the parser's reason and line.
TXmlElement ParseXml(std::string_view AText);

// Escapes text for use as character data or inside a double-quoted attribute.
std::string XmlEscape(std::string_view AText);

// "<Name>escaped text</Name>"; the way every answer document is written.
std::string XmlTextElement(std::string_view AName, std::string_view AText);

}  // namespace qorita::sandbox
