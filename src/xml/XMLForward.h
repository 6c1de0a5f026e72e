#pragma once

// Names shared by the document, element and list views of the XML binding layer:
// the reference-counted handles, the factories that give an element its type and
// the owner of a libxml2 tree.

#include <memory>

struct _xmlDoc;
struct _xmlNode;

namespace qorita::xml {

class TXMLDocument;
class TXMLNode;
class TXMLNodeCollection;
using IXMLDocument = std::shared_ptr<TXMLDocument>;
using IXMLNode = std::shared_ptr<TXMLNode>;
using IXMLNodeCollection = std::shared_ptr<TXMLNodeCollection>;

// Frees a libxml2 document with its whole tree.
struct TDocFree {
    void operator()(_xmlDoc* ADoc) const noexcept;
};
using TDocPtr = std::unique_ptr<_xmlDoc, TDocFree>;

// Makes the view of an element: how an element type is named when it is bound to
// a root, registered for a child tag or given to a list as its item type.
using TNodeFactory = IXMLNode (*)(const IXMLDocument& ADocument, _xmlNode* ANode);

template <class TView>
IXMLNode MakeNode(const IXMLDocument& ADocument, _xmlNode* ANode)
{
    return std::make_shared<TView>(ADocument, ANode);
}

}  // namespace qorita::xml
