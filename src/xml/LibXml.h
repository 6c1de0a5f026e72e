#pragma once

// The one place that includes libxml2 for the binding layer: the library's
// headers, one owner per libxml2 handle, the library's set-up and the writer
// of text into a string. Included by .cpp files of src/xml and by the SOAP
// client's XML readers (src/labelservice/Rest.Xml*.cpp), never by a header.

#include <libxml/encoding.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

// After the others: it uses xmlChar without including its header.
#include <libxml/dict.h>

#include <memory>
#include <string>
#include <string_view>

namespace qorita::xml::libxml {

struct DocDeleter {
    void operator()(xmlDoc* ADoc) const noexcept { xmlFreeDoc(ADoc); }
};
struct ParserCtxtDeleter {
    void operator()(xmlParserCtxt* ACtxt) const noexcept { xmlFreeParserCtxt(ACtxt); }
};

using DocPtr = std::unique_ptr<xmlDoc, DocDeleter>;
using ParserCtxtPtr = std::unique_ptr<xmlParserCtxt, ParserCtxtDeleter>;

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

// Makes sure the library is initialised once before its first use.
void EnsureInitialized();

// An xmlOutputWriteCallback that appends to the std::string AContext.
int AppendToString(void* AContext, const char* ABuffer, int ALength);

// Serializes ANode (a document, without its declaration, or an element) as UTF-8
// without added whitespace.
std::string Serialize(xmlNode* ANode);
// The same, handed piece by piece to AWrite; false when it failed.
bool SerializeTo(xmlNode* ANode, xmlOutputWriteCallback AWrite, void* AContext);

}  // namespace qorita::xml::libxml
