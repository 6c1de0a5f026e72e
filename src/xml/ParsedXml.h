#pragma once

// A tree parsed from received bytes (TXmlInput), read through TReadNode
// handles, with one element that may be taken out as a document of its own.

#include "xml/ReadNode.h"
#include "xml/XMLForward.h"

namespace qorita::xml {

class TParsedXml {
public:
    TParsedXml() = default;
    TParsedXml(TDocPtr ADoc, bool ANamespacesWellFormed);

    // The root element; null when the tree is gone (or was taken out).
    TReadNode Root() const;

    // False when a prefix was used without its declaration (libxml2 then keeps
    // the prefix in the element's name) or a declaration was malformed.
    bool NamespacesWellFormed() const { return FNamespacesWellFormed; }

    // AElement as the root of a document of its own, without writing it out
    // and reading it again: the rest of the tree is freed and this object left
    // empty. The namespaces it uses from above are declared on it, as its
    // markup declares them. Null (and the tree untouched) when the element
    // would not read back the same from its markup alone: when the tree's
    // namespaces are not well formed, when the text had a document type (whose
    // declarations shape the tree), xml:space is set above the element, or
    // two namespaces from above share a prefix.
    IXMLDocument TakeOut(TReadNode AElement);

private:
    TDocPtr FDoc;
    bool FNamespacesWellFormed = true;
};

}  // namespace qorita::xml
