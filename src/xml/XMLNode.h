#pragma once

// The view of one element of a message document: children by name (a missing child
// is created), the element's single text, typed values, attributes and its markup.
// Views are cheap handles; the document owns the tree and a view keeps the
// document alive.

#include "xml/XMLForward.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qorita::xml {

[[noreturn]] void ThrowInterfaceNotSupported();

// The typed view behind a handle, or "Interface not supported" when the element
// was not made with that type.
template <class TView>
std::shared_ptr<TView> Supports(const IXMLNode& ANode)
{
    auto typed = std::dynamic_pointer_cast<TView>(ANode);
    if (!typed) ThrowInterfaceNotSupported();
    return typed;
}

class TXMLNode {
public:
    TXMLNode(const IXMLDocument& ADocument, _xmlNode* ANode);
    virtual ~TXMLNode() = default;
    TXMLNode(const TXMLNode&) = delete;
    TXMLNode& operator=(const TXMLNode&) = delete;

    // The name as written (with its prefix) and without the prefix.
    std::string NodeName() const;
    std::string LocalName() const;
    std::string NamespaceURI() const;

    // The first child element named AName (name or local name) in this element's
    // namespace; when there is none it is appended, in this element's namespace and
    // with its prefix, so children stand in the order they were first reached.
    IXMLNode ChildNode(std::string_view AName);
    // Position among the child nodes of the first child element named AName, or
    // -1; never creates anything.
    int IndexOfChild(std::string_view AName) const;

    // The element's single text (or CDATA) node; an element without content gets
    // an empty one. Anything else fails with
    // "Element "<name>" does not contain a single text node".
    std::string Text();
    void SetText(std::string_view AText);

    // The text, or nothing when it is empty.
    std::optional<std::string> NodeValue();
    // Values written by their kind (XmlValue.h).
    void SetNodeValue(std::string_view AText) { SetText(AText); }
    // Without it a string literal would take the bool overload.
    void SetNodeValue(const char* AText) { SetText(AText); }
    void SetNodeValue(std::int32_t AValue);
    void SetNodeValue(double AValue);
    void SetNodeValue(bool AValue);

    // The property kinds: a child reached by ChildNode and read or written as text,
    // 32-bit integer or decimal.
    std::string ChildText(std::string_view AName);
    void SetChildText(std::string_view AName, std::string_view AText);
    std::int32_t ChildInteger(std::string_view AName);
    void SetChildInteger(std::string_view AName, std::int32_t AValue);
    double ChildDecimal(std::string_view AName);
    void SetChildDecimal(std::string_view AName, double AValue);

    // Attributes without namespace; "xmlns" stands for the default namespace
    // declaration of this element.
    std::string Attribute(std::string_view AName) const;
    void SetAttribute(std::string_view AName, std::string_view AValue);

    // The element and its content as markup: no declaration, no added whitespace.
    std::string XML() const;

    const IXMLDocument& OwnerDocument() const { return FDocument; }
    _xmlNode* Handle() const { return FNode; }

protected:
    // Children named ATag get the view AType (a plain view otherwise).
    void RegisterChildNode(std::string ATag, TNodeFactory AType);
    // The view of AChild, typed by the registration of its name.
    IXMLNode MakeChildView(_xmlNode* AChild) const;
    // Whether AChild is an element named AName in this element's namespace.
    bool IsNamedChild(const _xmlNode* AChild, std::string_view AName) const;
    // Creates an element named AName in this element's namespace and puts it before
    // ABefore, or at the end when ABefore is null.
    _xmlNode* CreateChild(std::string_view AName, _xmlNode* ABefore);

    // The first child element named AName, appended when there is none.
    _xmlNode* FindOrCreateChild(std::string_view AName);

private:
    IXMLDocument FDocument;
    _xmlNode* FNode;
    std::vector<std::pair<std::string, TNodeFactory>> FChildTypes;
};

}  // namespace qorita::xml
