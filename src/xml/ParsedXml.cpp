#include "xml/ParsedXml.h"

#include "xml/LibXml.h"
#include "xml/XMLDocument.h"
#include "xml/XmlSerialize.h"

#include <algorithm>
#include <utility>
#include <vector>

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

// Whether ANs is declared on AScope or between it and AElement.
bool DeclaredWithin(const xmlNode* AElement, const xmlNode* AScope, const xmlNs* ANs)
{
    // The xml prefix is declared for every document.
    if (libxml::FromXml(ANs->prefix) == "xml") return true;
    for (const xmlNode* scope = AScope; scope != nullptr; scope = scope->parent) {
        for (const xmlNs* ns = scope->nsDef; ns != nullptr; ns = ns->next) {
            if (ns == ANs) return true;
        }
        if (scope == AElement) break;
    }
    return false;
}

// The declaration of AOuter that AElement gets: an equal one it already made,
// or a new one at the end of its declarations; null when AElement declares
// the prefix for another namespace.
xmlNs* DeclareOn(xmlNode* AElement, const xmlNs* AOuter)
{
    const std::string_view prefix = libxml::FromXml(AOuter->prefix);
    for (xmlNs* ns = AElement->nsDef; ns != nullptr; ns = ns->next) {
        if ((ns->prefix == nullptr) != (AOuter->prefix == nullptr) || libxml::FromXml(ns->prefix) != prefix) continue;
        return libxml::FromXml(ns->href) == libxml::FromXml(AOuter->href) ? ns : nullptr;
    }
    xmlNs* ns = xmlNewNs(AElement, AOuter->href, AOuter->prefix);
    if (ns == nullptr) throw std::bad_alloc();
    return ns;
}

// Gives AElement, in document order, a declaration of every namespace that
// it or its subtree uses from above it, and makes them use it: the tree then
// reads as its markup alone would (that is how libxml2 declares them when it
// copies an element out). False, with nothing changed, when a prefix the
// element declares itself stands in the way.
bool DeclareOuterNamespaces(xmlNode* AElement)
{
    struct TUse {
        xmlNs** Slot;
        const xmlNs* Outer;
    };
    std::vector<TUse> uses;
    std::vector<const xmlNs*> outer;
    for (xmlNode* node = AElement; node != nullptr;) {
        if (node->type == XML_ELEMENT_NODE) {
            if (node->ns != nullptr && !DeclaredWithin(AElement, node, node->ns)) uses.push_back({&node->ns, node->ns});
            for (xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
                if (attr->ns != nullptr && !DeclaredWithin(AElement, node, attr->ns)) {
                    uses.push_back({&attr->ns, attr->ns});
                }
            }
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        while (node != AElement && node->next == nullptr) node = node->parent;
        node = node == AElement ? nullptr : node->next;
    }
    // The declarations the element would need, each checked before any is made.
    for (const TUse& use : uses) {
        if (std::find(outer.begin(), outer.end(), use.Outer) != outer.end()) continue;
        for (const xmlNs* ns = AElement->nsDef; ns != nullptr; ns = ns->next) {
            if ((ns->prefix == nullptr) == (use.Outer->prefix == nullptr) &&
                libxml::FromXml(ns->prefix) == libxml::FromXml(use.Outer->prefix) &&
                libxml::FromXml(ns->href) != libxml::FromXml(use.Outer->href)) {
                return false;
            }
        }
        for (const xmlNs* seen : outer) {
            if ((seen->prefix == nullptr) == (use.Outer->prefix == nullptr) &&
                libxml::FromXml(seen->prefix) == libxml::FromXml(use.Outer->prefix)) {
                return false;
            }
        }
        outer.push_back(use.Outer);
    }
    for (const TUse& use : uses) *use.Slot = DeclareOn(AElement, use.Outer);
    return true;
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
        !FNamespacesWellFormed || doc->intSubset != nullptr || doc->extSubset != nullptr || SpaceSetAbove(element) ||
        !DeclareOuterNamespaces(element)) {
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
