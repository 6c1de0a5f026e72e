#pragma once

// The SOAP client's one window onto libxml2: document owner, parsing with the
// program's parse-error message, and the few node queries the description
// lookup and the answer examination need. Private to the labelservice library;
// nothing outside it includes libxml2 through this header.

#include "xml/XmlInput.h"

#include <libxml/tree.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::labelservice::soapxml {

using xml::TDocPtr;
using xml::TParsedXml;

// Parses text from the network or a file as received bytes (xml::TXmlInput).
TDocPtr ParseXml(std::string_view AText);

// The element AElement of a parsed answer as the root of a document of its
// own, without writing it out and reading it again: the rest of the answer is
// freed and the document taken from AParsed. Null (and AParsed untouched) when
// the element would not read back the same from its markup alone, for instance
// when it uses a namespace declared above it.
TDocPtr DetachAsDocument(TParsedXml& AParsed, xmlNode* AElement);

std::string_view LocalName(const xmlNode* ANode);
std::string_view NamespaceUri(const xmlNode* ANode);  // empty when none
// Unqualified attribute value, or nothing when the attribute is absent.
std::optional<std::string> Attribute(const xmlNode* AElement, const char* AName);
std::vector<xmlNode*> ElementChildren(const xmlNode* AElement);
// First element child with the local name in the namespace whose attribute
// "name" equals AName (any element when AName is null).
xmlNode* FindChild(const xmlNode* AElement, std::string_view ANamespace, std::string_view ALocalName,
                   const char* AName = nullptr);
// Concatenated character content of the node and its descendants.
std::string NodeText(const xmlNode* ANode);
// Markup of the node alone, without declaration or added whitespace; an element
// carries the declarations of every namespace it or its descendants use.
// ASizeHint: room to reserve for the markup (a large payload then grows once).
std::string NodeXml(const xmlNode* ANode, std::size_t ASizeHint = 0);
// Child nodes that count as content: whitespace-only text is not counted.
std::vector<xmlNode*> ContentChildren(const xmlNode* AElement);

}  // namespace qorita::labelservice::soapxml
