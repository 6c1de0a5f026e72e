#include "xml/XMLNode.h"

#include "common/Exception.h"
#include "xml/LibXml.h"
#include "xml/XMLDocument.h"
#include "xml/XmlValue.h"

namespace qorita::xml {

namespace {

bool SameNamespace(const xmlNode* ALeft, const xmlNode* ARight)
{
    return libxml::NamespaceURI(ALeft) == libxml::NamespaceURI(ARight);
}

// The default namespace declared on ANode itself.
xmlNs* DefaultNamespaceDeclaration(xmlNode* ANode)
{
    for (xmlNs* ns = ANode->nsDef; ns != nullptr; ns = ns->next) {
        if (ns->prefix == nullptr) return ns;
    }
    return nullptr;
}

struct XmlCharDeleter {
    void operator()(xmlChar* AText) const noexcept { xmlFree(AText); }
};

}  // namespace

void ThrowInterfaceNotSupported() { throw Exception("Interface not supported"); }

TXMLNode::TXMLNode(const IXMLDocument& ADocument, _xmlNode* ANode) : FDocument(ADocument), FNode(ANode) {}

std::string TXMLNode::NodeName() const { return libxml::QualifiedName(FNode); }

std::string TXMLNode::LocalName() const { return std::string(libxml::FromXml(FNode->name)); }

std::string TXMLNode::NamespaceURI() const { return std::string(libxml::NamespaceURI(FNode)); }

bool TXMLNode::IsNamedChild(const _xmlNode* AChild, std::string_view AName) const
{
    return AChild->type == XML_ELEMENT_NODE && libxml::NameMatches(AChild, AName) && SameNamespace(AChild, FNode);
}

_xmlNode* TXMLNode::CreateChild(std::string_view AName, _xmlNode* ABefore)
{
    const std::string name(AName);
    // The parent's namespace object: the child shares its URI and its prefix.
    xmlNode* child = xmlNewDocNode(FNode->doc, FNode->ns, libxml::ToXml(name.c_str()), nullptr);
    if (child == nullptr) throw std::bad_alloc();
    if (ABefore != nullptr) {
        xmlAddPrevSibling(ABefore, child);
    } else {
        xmlAddChild(FNode, child);
    }
    TXMLDocument::ChildrenChanged(FNode);
    return child;
}

_xmlNode* TXMLNode::FindOrCreateChild(std::string_view AName)
{
    for (xmlNode* child = FNode->children; child != nullptr; child = child->next) {
        if (IsNamedChild(child, AName)) return child;
    }
    return CreateChild(AName, nullptr);
}

IXMLNode TXMLNode::ChildNode(std::string_view AName) { return MakeChildView(FindOrCreateChild(AName)); }

int TXMLNode::IndexOfChild(std::string_view AName) const
{
    int position = 0;
    for (const xmlNode* child = FNode->children; child != nullptr; child = child->next, ++position) {
        if (IsNamedChild(child, AName)) return position;
    }
    return -1;
}

namespace {

// The single text (or CDATA) node of AElement; an element without content gets an
// empty one.
xmlNode* SingleTextNode(xmlNode* AElement)
{
    xmlNode* first = AElement->children;
    if (first == nullptr) {
        xmlNode* text = xmlNewDocText(AElement->doc, libxml::ToXml(""));
        if (text == nullptr) throw std::bad_alloc();
        xmlAddChild(AElement, text);
        return text;
    }
    if (first->next == nullptr && (first->type == XML_TEXT_NODE || first->type == XML_CDATA_SECTION_NODE)) {
        return first;
    }
    throw Exception(
        Format("Element \"%s\" does not contain a single text node", libxml::QualifiedName(AElement).c_str()));
}

std::string ReadText(xmlNode* AElement) { return std::string(libxml::FromXml(SingleTextNode(AElement)->content)); }

void WriteText(xmlNode* AElement, std::string_view AText)
{
    const std::string content = SanitizeUtf8(AText);
    if (AElement->children == nullptr) {
        // The usual case of a request being filled: the text node is made with
        // its content at once.
        xmlNode* text =
            xmlNewDocTextLen(AElement->doc, libxml::ToXml(content.c_str()), static_cast<int>(content.size()));
        if (text == nullptr) throw std::bad_alloc();
        xmlAddChild(AElement, text);
        return;
    }
    xmlNodeSetContentLen(SingleTextNode(AElement), libxml::ToXml(content.c_str()), static_cast<int>(content.size()));
}

}  // namespace

std::string TXMLNode::Text() { return ReadText(FNode); }

void TXMLNode::SetText(std::string_view AText) { WriteText(FNode, AText); }

std::optional<std::string> TXMLNode::NodeValue()
{
    std::string text = Text();
    if (text.empty()) return std::nullopt;
    return text;
}

void TXMLNode::SetNodeValue(std::int32_t AValue) { SetText(IntegerToText(AValue)); }

void TXMLNode::SetNodeValue(double AValue) { SetText(DoubleToText(AValue)); }

void TXMLNode::SetNodeValue(bool AValue) { SetText(BooleanToText(AValue)); }

// The property kinds work on the child element directly: reading or writing a
// property makes no view.
std::string TXMLNode::ChildText(std::string_view AName) { return ReadText(FindOrCreateChild(AName)); }

void TXMLNode::SetChildText(std::string_view AName, std::string_view AText)
{
    WriteText(FindOrCreateChild(AName), AText);
}

std::int32_t TXMLNode::ChildInteger(std::string_view AName)
{
    return TextToInteger(ReadText(FindOrCreateChild(AName)));
}

void TXMLNode::SetChildInteger(std::string_view AName, std::int32_t AValue)
{
    WriteText(FindOrCreateChild(AName), IntegerToText(AValue));
}

double TXMLNode::ChildDecimal(std::string_view AName) { return TextToDecimal(ReadText(FindOrCreateChild(AName))); }

void TXMLNode::SetChildDecimal(std::string_view AName, double AValue)
{
    WriteText(FindOrCreateChild(AName), DoubleToText(AValue));
}

std::string TXMLNode::Attribute(std::string_view AName) const
{
    if (AName == "xmlns") {
        const xmlNs* ns = DefaultNamespaceDeclaration(FNode);
        return ns != nullptr ? std::string(libxml::FromXml(ns->href)) : std::string();
    }
    const std::string name(AName);
    std::unique_ptr<xmlChar, XmlCharDeleter> value(xmlGetNoNsProp(FNode, libxml::ToXml(name.c_str())));
    return std::string(libxml::FromXml(value.get()));
}

void TXMLNode::SetAttribute(std::string_view AName, std::string_view AValue)
{
    const std::string value = SanitizeUtf8(AValue);
    if (AName == "xmlns") {
        // The declaration's URI is shared by every element that uses it, so the
        // element and the children created in its namespace follow it.
        if (xmlNs* ns = DefaultNamespaceDeclaration(FNode)) {
            xmlFree(const_cast<xmlChar*>(ns->href));
            ns->href = xmlStrdup(libxml::ToXml(value.c_str()));
        } else if (xmlNewNs(FNode, libxml::ToXml(value.c_str()), nullptr) == nullptr) {
            throw std::bad_alloc();
        }
        return;
    }
    const std::string name(AName);
    if (xmlSetProp(FNode, libxml::ToXml(name.c_str()), libxml::ToXml(value.c_str())) == nullptr) {
        throw std::bad_alloc();
    }
}

std::string TXMLNode::XML() const
{
    // An element whose namespaces are declared by its ancestors is written from a
    // copy that declares them itself, so that its markup stands on its own.
    bool outerDeclarations = false;
    for (const xmlNode* parent = FNode->parent; parent != nullptr && parent->type == XML_ELEMENT_NODE;
         parent = parent->parent) {
        if (parent->nsDef != nullptr) {
            outerDeclarations = true;
            break;
        }
    }
    if (!outerDeclarations) return libxml::Serialize(FNode);
    libxml::DocPtr scratch(xmlNewDoc(libxml::ToXml("1.0")));
    xmlNode* copy = scratch ? xmlDocCopyNode(FNode, scratch.get(), 1) : nullptr;
    if (copy == nullptr) throw std::bad_alloc();
    xmlDocSetRootElement(scratch.get(), copy);
    return libxml::Serialize(copy);
}

void TXMLNode::RegisterChildNode(std::string ATag, TNodeFactory AType)
{
    FChildTypes.emplace_back(std::move(ATag), AType);
}

IXMLNode TXMLNode::MakeChildView(_xmlNode* AChild) const
{
    for (const auto& [tag, type] : FChildTypes) {
        if (libxml::NameMatches(AChild, tag)) return type(FDocument, AChild);
    }
    return std::make_shared<TXMLNode>(FDocument, AChild);
}

}  // namespace qorita::xml
