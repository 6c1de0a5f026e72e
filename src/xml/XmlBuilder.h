#pragma once

// A small tree built element by element and written once as markup: for a
// text whose every byte is fixed, such as the SOAP envelope. Elements carry
// the prefix of a namespace declared on the root, plain attributes and text;
// it is written as UTF-8 as held (non-ASCII characters are not turned into
// references), without declaration or added whitespace. Text and attribute
// values are written so that a parser gives them back exactly: & < > and CR
// (which parsers would turn into LF) become references, in attribute values
// " TAB and LF too.

#include "xml/XMLForward.h"

#include <string>
#include <string_view>
#include <vector>

namespace qorita::xml {

struct TNamespaceDeclaration {
    std::string_view Prefix;
    std::string_view URI;
};

class TXmlBuilder {
public:
    // An element of the tree: a cheap handle, valid while its builder lives.
    class TElement {
    public:
        // A new last child AName, in the namespace declared for APrefix (empty:
        // none).
        TElement AddChild(std::string_view AName, std::string_view APrefix = {}) const;
        // An attribute without namespace. A value that holds a character XML
        // 1.0 cannot carry (a control character other than TAB, LF, CR) fails
        // with "Character 0x.. cannot be sent in XML".
        void SetAttribute(std::string_view AName, std::string_view AValue) const;
        // A text node (an empty one too: the element is then written with an
        // end tag, not as an empty-element tag). Fails as SetAttribute does.
        void AddText(std::string_view AText) const;

    private:
        friend class TXmlBuilder;
        explicit TElement(_xmlNode* ANode) : FNode(ANode) {}
        _xmlNode* FNode;
    };

    TXmlBuilder();
    ~TXmlBuilder();
    TXmlBuilder(const TXmlBuilder&) = delete;
    TXmlBuilder& operator=(const TXmlBuilder&) = delete;

    // The root element AName in the namespace of APrefix, declaring ANamespaces
    // on it in their order.
    TElement SetRoot(std::string_view AName, std::string_view APrefix,
                     const std::vector<TNamespaceDeclaration>& ANamespaces);

    // The root element's markup, at the end of AText.
    void AppendMarkup(std::string& AText) const;

private:
    TDocPtr FDoc;
};

}  // namespace qorita::xml
