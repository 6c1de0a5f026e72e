#include "xml/XMLNodeCollection.h"

#include "common/Exception.h"
#include "xml/LibXml.h"
#include "xml/XMLDocument.h"

namespace qorita::xml {

TXMLNodeCollection::TXMLNodeCollection(const IXMLDocument& ADocument, _xmlNode* AListingNode, std::string AItemTag,
                                       TNodeFactory AItemType)
    : TXMLNode(ADocument, AListingNode), FItemTag(std::move(AItemTag)), FItemType(AItemType)
{
}

void TXMLNodeCollection::CheckItemTag() const
{
    if (FItemTag.empty()) throw Exception("ItemTag property is not initialized");
}

const std::vector<_xmlNode*>& TXMLNodeCollection::Items()
{
    CheckItemTag();
    const std::uint64_t version = TXMLDocument::ChildrenVersion(Handle());
    if (!FItemsKnown || version != FItemsVersion) {
        FItems.clear();
        for (xmlNode* child = Handle()->children; child != nullptr; child = child->next) {
            if (IsNamedChild(child, FItemTag)) FItems.push_back(child);
        }
        FItemsVersion = version;
        FItemsKnown = true;
    }
    return FItems;
}

IXMLNode TXMLNodeCollection::MakeItem(_xmlNode* AItem) const
{
    if (FItemType != nullptr) return FItemType(OwnerDocument(), AItem);
    return std::make_shared<TXMLNode>(OwnerDocument(), AItem);
}

int TXMLNodeCollection::Count() { return static_cast<int>(Items().size()); }

IXMLNode TXMLNodeCollection::Item(int AIndex)
{
    const auto& items = Items();
    if (AIndex < 0 || static_cast<std::size_t>(AIndex) >= items.size()) {
        throw Exception(Format("List index out of bounds (%d)", AIndex));
    }
    return MakeItem(items[static_cast<std::size_t>(AIndex)]);
}

IXMLNode TXMLNodeCollection::Add()
{
    CheckItemTag();
    return MakeItem(CreateChild(FItemTag, nullptr));
}

IXMLNode TXMLNodeCollection::Insert(int AIndex)
{
    CheckItemTag();
    xmlNode* before = Handle()->children;
    int position = 0;
    while (before != nullptr && position < AIndex) {
        before = before->next;
        ++position;
    }
    if (AIndex < -1 || (AIndex >= 0 && position < AIndex)) {
        throw Exception(Format("List index out of bounds (%d)", AIndex));
    }
    return MakeItem(CreateChild(FItemTag, AIndex == -1 ? nullptr : before));
}

}  // namespace qorita::xml
