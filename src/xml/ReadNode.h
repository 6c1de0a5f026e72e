#pragma once

// A read-only handle on a node of a parsed tree (the SOAP answer, the service
// description): cheap to copy and valid while the tree lives. A null handle
// stands for a node that is not there.

#include "xml/XMLForward.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::xml {

class TReadNode {
public:
    TReadNode() = default;
    explicit TReadNode(_xmlNode* ANode) : FNode(ANode) {}

    explicit operator bool() const { return FNode != nullptr; }
    bool operator==(const TReadNode& AOther) const = default;

    std::string_view LocalName() const;
    // Empty when the node has no namespace.
    std::string_view NamespaceURI() const;

    // An attribute without namespace; nothing when the element has none of
    // that name.
    std::optional<std::string> Attribute(const char* AName) const;
    // The first attribute of this local name in the namespace ANamespace.
    std::optional<std::string> Attribute(std::string_view ANamespace, std::string_view ALocalName) const;
    // The namespace that APrefix (empty: the default namespace) stands for
    // where the node is; nothing when no declaration around it names it.
    std::optional<std::string> PrefixNamespace(std::string_view APrefix) const;

    std::vector<TReadNode> ElementChildren() const;
    // The first child element of the local name in the namespace whose
    // attribute "name" is AName (any such element when AName is null).
    TReadNode FindChild(std::string_view ANamespace, std::string_view ALocalName, const char* AName = nullptr) const;
    // The child nodes that count as content: whitespace-only text is left out.
    std::vector<TReadNode> ContentChildren() const;

    // The character content of the node and its descendants.
    std::string Text() const;
    // The markup of the node alone, without declaration or added whitespace;
    // an element carries the declarations of every namespace it or its
    // descendants use. ASizeHint: room to reserve (a large payload then grows
    // once).
    std::string Markup(std::size_t ASizeHint = 0) const;

    _xmlNode* Handle() const { return FNode; }

private:
    _xmlNode* FNode = nullptr;
};

}  // namespace qorita::xml
