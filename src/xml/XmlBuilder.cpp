#include "xml/XmlBuilder.h"

#include "common/Exception.h"
#include "xml/LibXml.h"
#include "xml/XmlParser.h"
#include "xml/XmlSerialize.h"

#include <climits>

namespace qorita::xml {

namespace {

// Other control characters cannot appear in XML 1.0 at all, not even as
// character references.
void RefuseUnsendable(std::string_view AText)
{
    for (const char c : AText) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            throw Exception(Format("Character 0x%02X cannot be sent in XML", static_cast<unsigned>(c)));
        }
    }
}

xmlNs* DeclaredNamespace(xmlNode* AElement, std::string_view APrefix)
{
    if (APrefix.empty()) return nullptr;
    const std::string prefix(APrefix);
    xmlNs* ns = xmlSearchNs(AElement->doc, AElement, libxml::ToXml(prefix.c_str()));
    if (ns == nullptr) throw Exception(Format("Namespace prefix %s is not declared", prefix.c_str()));
    return ns;
}

xmlNode* NewElement(xmlDoc* ADoc, std::string_view AName)
{
    const std::string name(AName);
    xmlNode* element = xmlNewDocNode(ADoc, nullptr, libxml::ToXml(name.c_str()), nullptr);
    if (element == nullptr) throw std::bad_alloc();
    return element;
}

}  // namespace

TXmlBuilder::TElement TXmlBuilder::TElement::AddChild(std::string_view AName, std::string_view APrefix) const
{
    xmlNode* child = NewElement(FNode->doc, AName);
    xmlAddChild(FNode, child);
    xmlSetNs(child, DeclaredNamespace(FNode, APrefix));
    return TElement(child);
}

void TXmlBuilder::TElement::SetAttribute(std::string_view AName, std::string_view AValue) const
{
    RefuseUnsendable(AValue);
    const std::string name(AName);
    const std::string value(AValue);
    if (xmlSetProp(FNode, libxml::ToXml(name.c_str()), libxml::ToXml(value.c_str())) == nullptr) {
        throw std::bad_alloc();
    }
}

void TXmlBuilder::TElement::AddText(std::string_view AText) const
{
    RefuseUnsendable(AText);
    if (AText.size() > static_cast<std::size_t>(INT_MAX)) throw Exception("The XML text is too large");
    xmlNode* text =
        xmlNewDocTextLen(FNode->doc, libxml::ToXml(AText.empty() ? "" : AText.data()), static_cast<int>(AText.size()));
    if (text == nullptr) throw std::bad_alloc();
    xmlAddChild(FNode, text);
}

TXmlBuilder::TXmlBuilder()
{
    libxml::EnsureInitialized();
    FDoc.reset(xmlNewDoc(libxml::ToXml("1.0")));
    if (!FDoc) throw std::bad_alloc();
    // The encoding the markup is written in: without it libxml2 writes the
    // non-ASCII characters of attribute values as character references.
    FDoc->encoding = xmlStrdup(libxml::ToXml("UTF-8"));
    if (FDoc->encoding == nullptr) throw std::bad_alloc();
}

TXmlBuilder::~TXmlBuilder() = default;

TXmlBuilder::TElement TXmlBuilder::SetRoot(std::string_view AName, std::string_view APrefix,
                                           const std::vector<TNamespaceDeclaration>& ANamespaces)
{
    xmlNode* root = NewElement(FDoc.get(), AName);
    if (xmlNode* former = xmlDocSetRootElement(FDoc.get(), root)) xmlFreeNode(former);
    for (const TNamespaceDeclaration& declaration : ANamespaces) {
        const std::string prefix(declaration.Prefix);
        const std::string uri(declaration.URI);
        if (xmlNewNs(root, libxml::ToXml(uri.c_str()), prefix.empty() ? nullptr : libxml::ToXml(prefix.c_str())) ==
            nullptr) {
            throw std::bad_alloc();
        }
    }
    xmlSetNs(root, DeclaredNamespace(root, APrefix));
    return TElement(root);
}

void TXmlBuilder::AppendMarkup(std::string& AText) const
{
    libxml::SerializeAppending(xmlDocGetRootElement(FDoc.get()), AText);
}

}  // namespace qorita::xml
