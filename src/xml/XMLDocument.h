#pragma once

// The XML document under every message exchanged with the courier: a libxml2 tree
// made empty (with its declaration) or parsed from the service's text, the binding
// of its root element to an element type, whole-document serialization and files.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "xml/XMLForward.h"

namespace qorita::xml {

// What a written copy of a document must not show: the text of every element
// of this local name, at any depth and in any namespace, is written as Mask.
struct TTextMask {
    std::string_view ElementName;
    std::string_view Mask;
};

class TXMLDocument : public std::enable_shared_from_this<TXMLDocument> {
    struct TPrivate {};

public:
    // A new document whose declaration reads version "1.0"; no root element yet.
    static IXMLDocument Create();
    // Parses AXml (UTF-8, a leading byte order mark is dropped) with a hardened
    // parser: no DTD or external entity loading, no network, libxml2's default
    // limits. Failure throws qorita::Exception with the parser's reason, the line
    // and the start of the offending line.
    static IXMLDocument Parse(std::string_view AXml);
    // A document over a tree built elsewhere, for instance the part of a
    // larger text that was taken out of it; it owns ADoc from now on and, like
    // a text without one, has no declaration.
    static IXMLDocument Adopt(_xmlDoc* ADoc);

    TXMLDocument(TPrivate, _xmlDoc* ADoc);
    ~TXMLDocument();
    TXMLDocument(const TXMLDocument&) = delete;
    TXMLDocument& operator=(const TXMLDocument&) = delete;

    // The declaration, always written in the order version, encoding, standalone
    // and without the attributes left empty. Setting any of them gives the
    // document a declaration.
    const std::string& Encoding() const { return FEncoding; }
    const std::string& Standalone() const { return FStandalone; }
    bool HasDeclaration() const { return FHasDeclaration; }
    void SetVersion(std::string_view AValue);
    void SetEncoding(std::string_view AValue);
    void SetStandalone(std::string_view AValue);

    // Binds the root to ATag/AType (ANamespaceURI empty: any namespace), appends
    // the root when the document has none and returns the root's view: of AType
    // when the root's name or local name is ATag, a plain view otherwise.
    IXMLNode BindRoot(std::string_view ATag, TNodeFactory AType, std::string_view ANamespaceURI);
    // The root's view under the current binding; null when there is no root.
    IXMLNode DocumentElement();

    // The whole document, declaration included when it has one, in UTF-8.
    std::string XML() const;
    // The same with the masked elements' text replaced; the document itself
    // keeps its text.
    std::string XML(const TTextMask& AMask) const;
    // Writes XML() (or XML(AMask)) to AFileName, a new file, straight from the
    // tree; a file that cannot be created new (the name taken, also by a link)
    // or written throws.
    void SaveToFile(const std::string& AFileName) const;
    void SaveToFile(const std::string& AFileName, const TTextMask& AMask) const;

    // For the element views.
    _xmlDoc* Handle() const { return FDoc.get(); }
    // Child elements of AParent were added: lists over it must look again.
    static void ChildrenChanged(_xmlNode* AParent);
    static std::uint64_t ChildrenVersion(const _xmlNode* AParent);

private:
    // The declaration line as XML() writes it; empty without a declaration.
    std::string Declaration() const;

    TDocPtr FDoc;
    std::string FVersion;
    std::string FEncoding;
    std::string FStandalone;
    bool FHasDeclaration = false;
    std::string FRootTag;
    std::string FRootNamespaceURI;
    TNodeFactory FRootType = nullptr;
};

}  // namespace qorita::xml
