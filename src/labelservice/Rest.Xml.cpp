#include "labelservice/Rest.Xml.h"

#include "common/Exception.h"
#include "labelservice/Rest.XmlInput.h"
#include "xml/LibXml.h"

#include <algorithm>

namespace qorita::labelservice::soapxml {

namespace {

using xml::libxml::AppendToString;
using xml::libxml::FromXml;
bool IsBlankText(const xmlNode* ANode)
{
    if (ANode->type != XML_TEXT_NODE) return false;
    for (std::string_view text = FromXml(ANode->content); char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

// Whether ANode's own namespace, an attribute's or a descendant's is declared
// outside the subtree of ANode.
bool UsesOuterNamespace(const xmlNode* ARoot)
{
    const auto declaredInside = [ARoot](const xmlNode* AElement, const xmlNs* ANs) {
        for (const xmlNode* scope = AElement; scope != nullptr; scope = scope->parent) {
            for (const xmlNs* ns = scope->nsDef; ns != nullptr; ns = ns->next)
                if (ns == ANs) return true;
            if (scope == ARoot) break;
        }
        return false;
    };
    const xmlNode* node = ARoot;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE) {
            if (node->ns != nullptr && !declaredInside(node, node->ns)) return true;
            for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next)
                if (attr->ns != nullptr && !declaredInside(node, attr->ns)) return true;
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        // Next in document order, without leaving the subtree.
        while (node != ARoot && node->next == nullptr) node = node->parent;
        node = node == ARoot ? nullptr : node->next;
    }
    return false;
}

}  // namespace

TDocPtr ParseXml(std::string_view AText) { return TXmlInput(AText).Parse().Doc; }

std::string_view LocalName(const xmlNode* ANode) { return FromXml(ANode->name); }

std::string_view NamespaceUri(const xmlNode* ANode)
{
    return ANode->ns == nullptr ? std::string_view() : FromXml(ANode->ns->href);
}

std::optional<std::string> Attribute(const xmlNode* AElement, const char* AName)
{
    xmlChar* value = xmlGetNoNsProp(AElement, reinterpret_cast<const xmlChar*>(AName));
    if (value == nullptr) return std::nullopt;
    std::string result(FromXml(value));
    xmlFree(value);
    return result;
}

std::vector<xmlNode*> ElementChildren(const xmlNode* AElement)
{
    std::vector<xmlNode*> result;
    for (xmlNode* child = AElement->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE) result.push_back(child);
    return result;
}

xmlNode* FindChild(const xmlNode* AElement, std::string_view ANamespace, std::string_view ALocalName, const char* AName)
{
    for (xmlNode* child : ElementChildren(AElement)) {
        if (LocalName(child) != ALocalName || NamespaceUri(child) != ANamespace) continue;
        if (AName == nullptr || Attribute(child, "name") == std::optional<std::string>(AName)) return child;
    }
    return nullptr;
}

std::string NodeText(const xmlNode* ANode)
{
    xmlChar* content = xmlNodeGetContent(ANode);
    std::string result(FromXml(content));
    xmlFree(content);
    return result;
}

std::string NodeXml(const xmlNode* ANode, std::size_t ASizeHint)
{
    // An element that uses a namespace declared further up in the answer is
    // copied into a document of its own: libxml2 then declares the namespace
    // on the copy. Otherwise the node is written as it is, which spares
    // copying a payload of several megabytes of labels.
    TDocPtr holder;
    const xmlNode* node = ANode;
    if (ANode->type == XML_ELEMENT_NODE && UsesOuterNamespace(ANode)) {
        holder.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
        xmlNode* copy = holder ? xmlDocCopyNode(const_cast<xmlNode*>(ANode), holder.get(), 1) : nullptr;
        if (copy == nullptr) throw Exception("Out of memory copying an XML node");
        xmlDocSetRootElement(holder.get(), copy);
        node = copy;
    }
    std::string markup;
    markup.reserve(ASizeHint);
    xmlOutputBuffer* output = xmlOutputBufferCreateIO(&AppendToString, nullptr, &markup, nullptr);
    if (output == nullptr) throw Exception("Out of memory serializing an XML node");
    xmlNodeDumpOutput(output, node->doc, const_cast<xmlNode*>(node), 0, 0, nullptr);
    if (xmlOutputBufferClose(output) < 0) throw Exception("Out of memory serializing an XML node");
    return markup;
}

namespace {

constexpr std::string_view XmlNamespace = "http://www.w3.org/XML/1998/namespace";

// Whether an ancestor of ANode sets xml:space, which decides for the parser
// which blank text inside ANode is kept.
bool SpaceSetAbove(const xmlNode* ANode)
{
    for (const xmlNode* scope = ANode->parent; scope != nullptr && scope->type == XML_ELEMENT_NODE;
         scope = scope->parent) {
        for (const xmlAttr* attr = scope->properties; attr != nullptr; attr = attr->next)
            if (attr->ns != nullptr && FromXml(attr->ns->href) == XmlNamespace && FromXml(attr->name) == "space")
                return true;
    }
    return false;
}

}  // namespace

TDocPtr DetachAsDocument(TParsedXml& AParsed, xmlNode* AElement)
{
    xmlDoc* doc = AParsed.Doc.get();
    // Only an element that reads back the same from its own markup: one that
    // declares every namespace it uses, in an answer whose namespaces are
    // well formed, without a document type (whose declarations shape the
    // tree) and without xml:space above it.
    if (doc == nullptr || AElement->doc != doc || AElement->type != XML_ELEMENT_NODE || !AParsed.NamespacesWellFormed ||
        doc->intSubset != nullptr || doc->extSubset != nullptr || UsesOuterNamespace(AElement) ||
        SpaceSetAbove(AElement))
        return nullptr;
    xmlUnlinkNode(AElement);
    while (doc->children != nullptr) {
        xmlNode* other = doc->children;
        xmlUnlinkNode(other);
        xmlFreeNode(other);
    }
    xmlDocSetRootElement(doc, AElement);
    // As a text without a declaration would leave it.
    if (doc->encoding != nullptr) {
        xmlFree(const_cast<xmlChar*>(doc->encoding));
        doc->encoding = nullptr;
    }
    doc->standalone = -1;
    return std::move(AParsed.Doc);
}

std::vector<xmlNode*> ContentChildren(const xmlNode* AElement)
{
    std::vector<xmlNode*> result;
    for (xmlNode* child = AElement->children; child != nullptr; child = child->next)
        if (!IsBlankText(child)) result.push_back(child);
    return result;
}

}  // namespace qorita::labelservice::soapxml
