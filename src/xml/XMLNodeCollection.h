#pragma once

// A list view: the child elements of one listing element that carry the list's
// item tag, in document order. The listing element is either the view's own
// element (a root that is its own list) or the element of the view that hosts the
// list. The items are remembered between calls and looked for again only after
// children were added to the listing element, so walking a long list is linear.

#include "xml/XMLNode.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qorita::xml {

class TXMLNodeCollection : public TXMLNode {
public:
    // AItemTag empty: every use fails with "ItemTag property is not initialized".
    TXMLNodeCollection(const IXMLDocument& ADocument, _xmlNode* AListingNode, std::string AItemTag,
                       TNodeFactory AItemType);

    int Count();
    // The item at AIndex (0 to Count() - 1); "List index out of bounds (<i>)" else.
    IXMLNode Item(int AIndex);
    // A new item as the last child of the listing element.
    IXMLNode Add();
    // A new item at AIndex among the listing element's child nodes (Count of child
    // nodes or -1: at the end).
    IXMLNode Insert(int AIndex);

    const std::string& ItemTag() const { return FItemTag; }

private:
    const std::vector<_xmlNode*>& Items();
    void CheckItemTag() const;
    IXMLNode MakeItem(_xmlNode* AItem) const;

    std::string FItemTag;
    TNodeFactory FItemType;
    std::vector<_xmlNode*> FItems;
    std::uint64_t FItemsVersion = 0;
    bool FItemsKnown = false;
};

}  // namespace qorita::xml
