#include "xml/XMLDocument.h"

#include "common/Exception.h"
#include "common/ExclusiveFile.h"
#include "common/Paths.h"
#include "xml/LibXml.h"
#include "xml/XMLNode.h"
#include "xml/XmlParser.h"
#include "xml/XmlSerialize.h"
#include "xml/XmlValue.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qorita::xml {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Whether the declaration at the start of AText names an encoding.
bool DeclaresEncoding(std::string_view AText)
{
    const std::size_t end = AText.find("?>");
    return AText.substr(0, end).find("encoding") != std::string_view::npos;
}

// Shows the mask as the text of every element of the mask's name for as long
// as it lives. Each such element's content is set aside, not copied (a secret
// is not duplicated and a large text costs nothing), and put back exactly by
// the destructor, also when writing the document failed.
class TMaskedText {
public:
    TMaskedText(xmlDoc* ADoc, const TTextMask& AMask)
    {
        try {
            for (xmlNode* node = ADoc->children; node != nullptr;) {
                const bool masked = node->type == XML_ELEMENT_NODE && libxml::FromXml(node->name) == AMask.ElementName;
                if (masked) SetAside(ADoc, node, AMask.Mask);
                if (!masked && node->type == XML_ELEMENT_NODE && node->children != nullptr) {
                    node = node->children;
                    continue;
                }
                // Next in document order: the next sibling of the nearest
                // ancestor that has one.
                while (node != nullptr && node->next == nullptr) {
                    node = node->parent;
                    if (node != nullptr && node->type != XML_ELEMENT_NODE) node = nullptr;
                }
                if (node != nullptr) node = node->next;
            }
        } catch (...) {
            Restore();
            throw;
        }
    }
    ~TMaskedText() { Restore(); }
    TMaskedText(const TMaskedText&) = delete;
    TMaskedText& operator=(const TMaskedText&) = delete;

private:
    struct TSetAside {
        xmlNode* Element;
        xmlNode* Children;
        xmlNode* Last;
    };

    void SetAside(xmlDoc* ADoc, xmlNode* AElement, std::string_view AMask)
    {
        FSetAside.reserve(FSetAside.size() + 1);
        xmlNode* text =
            xmlNewDocTextLen(ADoc, reinterpret_cast<const xmlChar*>(AMask.data()), static_cast<int>(AMask.size()));
        if (text == nullptr) throw std::bad_alloc();
        FSetAside.push_back({AElement, AElement->children, AElement->last});
        text->parent = AElement;
        AElement->children = text;
        AElement->last = text;
    }

    void Restore() noexcept
    {
        for (auto it = FSetAside.rbegin(); it != FSetAside.rend(); ++it) {
            xmlNode* text = it->Element->children;
            it->Element->children = it->Children;
            it->Element->last = it->Last;
            xmlFreeNode(text);
        }
        FSetAside.clear();
    }

    std::vector<TSetAside> FSetAside;
};

}  // namespace

void TDocFree::operator()(_xmlDoc* ADoc) const noexcept { xmlFreeDoc(ADoc); }

TXMLDocument::TXMLDocument(TPrivate, _xmlDoc* ADoc) : FDoc(ADoc) {}

TXMLDocument::~TXMLDocument() = default;

IXMLDocument TXMLDocument::Create()
{
    libxml::EnsureInitialized();
    TDocPtr doc(xmlNewDoc(libxml::ToXml("1.0")));
    if (!doc) throw std::bad_alloc();
    // Element names are kept once in the document's dictionary, as the parser
    // does, instead of once per element.
    doc->dict = xmlDictCreate();
    if (doc->dict == nullptr) throw std::bad_alloc();
    auto result = std::make_shared<TXMLDocument>(TPrivate{}, doc.release());
    result->SetVersion("1.0");
    return result;
}

IXMLDocument TXMLDocument::Parse(std::string_view AXml)
{
    std::string_view text = AXml;
    if (text.substr(0, ByteOrderMark.size()) == ByteOrderMark) text.remove_prefix(ByteOrderMark.size());
    TDocPtr doc = libxml::ParseText(text);

    const int standalone = doc->standalone;  // -1: the text had no declaration
    auto result = std::make_shared<TXMLDocument>(TPrivate{}, doc.release());
    if (standalone != -1) {
        result->FHasDeclaration = true;
        result->FVersion = std::string(libxml::FromXml(result->FDoc->version));
        // The text was read as UTF-8 and is written as UTF-8: a declaration that
        // named an encoding says so from now on.
        if (DeclaresEncoding(text)) result->FEncoding = "UTF-8";
        result->FStandalone = standalone == 1 ? "yes" : standalone == 0 ? "no" : "";
    }
    return result;
}

IXMLDocument TXMLDocument::Adopt(_xmlDoc* ADoc)
{
    TDocPtr doc(ADoc);
    libxml::EnsureInitialized();
    auto result = std::make_shared<TXMLDocument>(TPrivate{}, doc.get());
    (void)doc.release();
    return result;
}

void TXMLDocument::SetVersion(std::string_view AValue)
{
    FVersion = AValue;
    FHasDeclaration = true;
}

void TXMLDocument::SetEncoding(std::string_view AValue)
{
    FEncoding = AValue;
    FHasDeclaration = true;
}

void TXMLDocument::SetStandalone(std::string_view AValue)
{
    FStandalone = AValue;
    FHasDeclaration = true;
}

IXMLNode TXMLDocument::BindRoot(std::string_view ATag, TNodeFactory AType, std::string_view ANamespaceURI)
{
    FRootTag = ATag;
    FRootType = AType;
    FRootNamespaceURI = ANamespaceURI;
    if (xmlDocGetRootElement(FDoc.get()) == nullptr) {
        const std::string tag(ATag);
        xmlNode* root = xmlNewDocNode(FDoc.get(), nullptr, libxml::ToXml(tag.c_str()), nullptr);
        if (root == nullptr) throw std::bad_alloc();
        if (!ANamespaceURI.empty()) {
            const std::string uri(ANamespaceURI);
            xmlSetNs(root, xmlNewNs(root, libxml::ToXml(uri.c_str()), nullptr));
        }
        xmlAddChild(reinterpret_cast<xmlNode*>(FDoc.get()), root);
    }
    return DocumentElement();
}

IXMLNode TXMLDocument::DocumentElement()
{
    xmlNode* root = xmlDocGetRootElement(FDoc.get());
    if (root == nullptr) return nullptr;
    const std::string_view uri = libxml::NamespaceURI(root);
    if (FRootType != nullptr && libxml::NameMatches(root, FRootTag) &&
        (FRootNamespaceURI.empty() || FRootNamespaceURI == uri)) {
        return FRootType(shared_from_this(), root);
    }
    return std::make_shared<TXMLNode>(shared_from_this(), root);
}

std::string TXMLDocument::Declaration() const
{
    std::string result;
    if (FHasDeclaration) {
        result = "<?xml";
        const auto attribute = [&](const char* AName, const std::string& AValue) {
            if (AValue.empty()) return;
            result.append(" ").append(AName).append("=\"").append(AValue).append("\"");
        };
        attribute("version", FVersion);
        attribute("encoding", FEncoding);
        attribute("standalone", FStandalone);
        result.append("?>\n");
    }
    return result;
}

std::string TXMLDocument::XML() const
{
    return Declaration().append(libxml::Serialize(reinterpret_cast<xmlNode*>(FDoc.get())));
}

std::string TXMLDocument::XML(const TTextMask& AMask) const
{
    // The masked text stands in the tree only while the document is written.
    const TMaskedText masked(FDoc.get(), AMask);
    return XML();
}

namespace {

struct TFileWriter {
    std::FILE* File;
    bool Failed = false;
};

int WriteToFile(void* AContext, const char* ABuffer, int ALength)
{
    auto* writer = static_cast<TFileWriter*>(AContext);
    const auto length = static_cast<std::size_t>(ALength);
    if (std::fwrite(ABuffer, 1, length, writer->File) != length) {
        writer->Failed = true;
        return -1;
    }
    return ALength;
}

}  // namespace

void TXMLDocument::SaveToFile(const std::string& AFileName) const
{
    // Written straight from the tree through a large file buffer: an answer
    // with a thousand labels is tens of megabytes, never held as text twice.
    // Archive names are in a shared folder: a taken name fails, a link there is
    // never followed.
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(OpenNewFile(PathFromUtf8(AFileName)), std::fclose);
    if (!file) throw Exception(Format("Cannot create file \"%s\". %s", AFileName.c_str(), std::strerror(errno)));
    std::setvbuf(file.get(), nullptr, _IOFBF, 256 * 1024);
    const std::string declaration = Declaration();
    TFileWriter writer{file.get()};
    writer.Failed = std::fwrite(declaration.data(), 1, declaration.size(), file.get()) != declaration.size();
    const bool serialized =
        !writer.Failed && libxml::SerializeTo(reinterpret_cast<xmlNode*>(FDoc.get()), WriteToFile, &writer);
    const int error = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (writer.Failed || !closed) {
        throw Exception(
            Format("Cannot write file \"%s\". %s", AFileName.c_str(), std::strerror(writer.Failed ? error : errno)));
    }
    if (!serialized) throw Exception("The XML document could not be serialized");
}

void TXMLDocument::SaveToFile(const std::string& AFileName, const TTextMask& AMask) const
{
    // The masked text stands in the tree only while the file is written.
    const TMaskedText masked(FDoc.get(), AMask);
    SaveToFile(AFileName);
}

// The count of changes lives in the node's application slot (_private), which
// libxml2 leaves to us and initialises to null: no lookup table to grow.
void TXMLDocument::ChildrenChanged(_xmlNode* AParent)
{
    AParent->_private = reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(AParent->_private) + 1);
}

std::uint64_t TXMLDocument::ChildrenVersion(const _xmlNode* AParent)
{
    return reinterpret_cast<std::uintptr_t>(AParent->_private);
}

}  // namespace qorita::xml
