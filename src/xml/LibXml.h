#pragma once

// The one place that includes libxml2: the library's headers, one owner per
// libxml2 handle (TDocPtr for documents, XMLForward.h) and the reading of
// names. Included by .cpp files of src/xml only, never by a header; the
// other layers read and write XML through src/xml's classes.

#include <libxml/SAX2.h>
#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

// After the others: it uses xmlChar without including its header.
#include <libxml/dict.h>

#include "xml/XMLForward.h"

#include <memory>
#include <string>
#include <string_view>

namespace qorita::xml::libxml {

struct TParserCtxtDeleter {
    // The context does not free the tree it was building: a parse given up
    // half-way (a transfer cut off, a bound hit) leaves it there.
    void operator()(xmlParserCtxt* ACtxt) const noexcept
    {
        if (ACtxt->myDoc != nullptr) xmlFreeDoc(ACtxt->myDoc);
        xmlFreeParserCtxt(ACtxt);
    }
};
// A string libxml2 made for us (a node's content, an attribute's value).
struct XmlCharDeleter {
    void operator()(xmlChar* AText) const noexcept { xmlFree(AText); }
};

using ParserCtxtPtr = std::unique_ptr<xmlParserCtxt, TParserCtxtDeleter>;
using XmlCharPtr = std::unique_ptr<xmlChar, XmlCharDeleter>;

inline const xmlChar* ToXml(const char* AText) { return reinterpret_cast<const xmlChar*>(AText); }

inline std::string_view FromXml(const xmlChar* AText)
{
    return AText == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(AText));
}

inline std::string_view NamespaceURI(const xmlNode* ANode)
{
    return ANode->ns != nullptr ? FromXml(ANode->ns->href) : std::string_view();
}

// The name as written, with its prefix.
inline std::string QualifiedName(const xmlNode* ANode)
{
    std::string name;
    if (ANode->ns != nullptr && ANode->ns->prefix != nullptr) {
        name.append(FromXml(ANode->ns->prefix)).append(":");
    }
    name.append(FromXml(ANode->name));
    return name;
}

// Whether AName is the node's name with its prefix or its local name.
inline bool NameMatches(const xmlNode* ANode, std::string_view AName)
{
    const std::string_view local = FromXml(ANode->name);
    if (local == AName) return true;
    if (ANode->ns == nullptr || ANode->ns->prefix == nullptr) return false;
    const std::string_view prefix = FromXml(ANode->ns->prefix);
    return AName.size() == prefix.size() + 1 + local.size() && AName.substr(0, prefix.size()) == prefix &&
           AName[prefix.size()] == ':' && AName.substr(prefix.size() + 1) == local;
}

}  // namespace qorita::xml::libxml
