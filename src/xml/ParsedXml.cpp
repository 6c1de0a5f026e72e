#include "xml/ParsedXml.h"

#include "xml/LibXml.h"
#include "xml/XMLDocument.h"
#include "xml/XmlSerialize.h"

#include <utility>

namespace qorita::xml {

namespace {

constexpr std::string_view XmlNamespace = "http://www.w3.org/XML/1998/namespace";

// Whether an ancestor of ANode sets xml:space, which decides for the parser
// which blank text inside ANode is kept.
bool SpaceSetAbove(const xmlNode* ANode)
{
    for (const xmlNode* scope = ANode->parent; scope != nullptr && scope->type == XML_ELEMENT_NODE;
         scope = scope->parent) {
        for (const xmlAttr* attr = scope->properties; attr != nullptr; attr = attr->next) {
            if (attr->ns != nullptr && libxml::FromXml(attr->ns->href) == XmlNamespace &&
                libxml::FromXml(attr->name) == "space") {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

TParsedXml::TParsedXml(TDocPtr ADoc, bool ANamespacesWellFormed)
    : FDoc(std::move(ADoc)), FNamespacesWellFormed(ANamespacesWellFormed)
{
}

TReadNode TParsedXml::Root() const { return TReadNode(FDoc ? xmlDocGetRootElement(FDoc.get()) : nullptr); }

IXMLDocument TParsedXml::TakeOut(TReadNode AElement)
{
    xmlDoc* doc = FDoc.get();
    xmlNode* element = AElement.Handle();
    if (doc == nullptr || element == nullptr || element->doc != doc || element->type != XML_ELEMENT_NODE ||
        !FNamespacesWellFormed || doc->intSubset != nullptr || doc->extSubset != nullptr ||
        libxml::UsesOuterNamespace(element) || SpaceSetAbove(element)) {
        return nullptr;
    }
    xmlUnlinkNode(element);
    while (doc->children != nullptr) {
        xmlNode* other = doc->children;
        xmlUnlinkNode(other);
        xmlFreeNode(other);
    }
    xmlDocSetRootElement(doc, element);
    // As a text without a declaration would leave it.
    if (doc->encoding != nullptr) {
        xmlFree(const_cast<xmlChar*>(doc->encoding));
        doc->encoding = nullptr;
    }
    doc->standalone = -1;
    return TXMLDocument::Adopt(FDoc.release());
}

}  // namespace qorita::xml
