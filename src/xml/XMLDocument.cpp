#include "xml/XMLDocument.h"

#include "common/Exception.h"
#include "xml/LibXml.h"
#include "xml/XMLNode.h"
#include "xml/XmlValue.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

namespace qorita::xml {

namespace libxml {

void EnsureInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

int AppendToString(void* AContext, const char* ABuffer, int ALength)
{
    static_cast<std::string*>(AContext)->append(ABuffer, static_cast<std::size_t>(ALength));
    return ALength;
}

bool SerializeTo(xmlNode* ANode, xmlOutputWriteCallback AWrite, void* AContext)
{
    // UTF-8 as held (naming the encoding keeps non-ASCII characters as they
    // are instead of character references), with no conversion pass.
    std::unique_ptr<xmlOutputBuffer, int (*)(xmlOutputBuffer*)> output(
        xmlOutputBufferCreateIO(AWrite, nullptr, AContext, nullptr), xmlOutputBufferClose);
    if (!output) throw std::bad_alloc();
    if (ANode->type == XML_DOCUMENT_NODE) {
        for (xmlNode* child = ANode->children; child != nullptr; child = child->next) {
            xmlNodeDumpOutput(output.get(), ANode->doc, child, 0, 0, "UTF-8");
            xmlOutputBufferWrite(output.get(), 1, "\n");
        }
    } else {
        xmlNodeDumpOutput(output.get(), ANode->doc, ANode, 0, 0, "UTF-8");
    }
    const int error = output->error;
    const int closed = xmlOutputBufferClose(output.release());
    return error == 0 && closed >= 0;
}

std::string Serialize(xmlNode* ANode)
{
    // Written straight into the string, with no intermediate buffer to grow
    // and copy.
    std::string result;
    if (!SerializeTo(ANode, AppendToString, &result)) throw Exception("The XML document could not be serialized");
    return result;
}

}  // namespace libxml

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// The parser's options for text that comes from the network: no network access,
// no DTD loading and no entity substitution (so no external entity is ever read),
// libxml2's default size and depth limits (no XML_PARSE_HUGE), whitespace between
// elements dropped, and the encoding named in a declaration ignored because the
// text we are given is already UTF-8.
constexpr int ParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS | XML_PARSE_IGNORE_ENC;

// Line ALine (from 1) of AText; libxml2 counts CR LF, LF and a lone CR as one break.
std::string_view SourceLine(std::string_view AText, int ALine)
{
    if (ALine < 1) return {};
    std::size_t start = 0;
    for (int line = 1; line < ALine; ++line) {
        const std::size_t brk = AText.find_first_of("\r\n", start);
        if (brk == std::string_view::npos) return {};
        start = brk + 1;
        if (AText[brk] == '\r' && start < AText.size() && AText[start] == '\n') ++start;
    }
    const std::size_t end = AText.find_first_of("\r\n", start);
    return AText.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The first error of a parse, which names the cause: libxml2 goes on after a
// fatal error and its last error is often only the consequence ("Premature end of
// data" after a tag mismatch).
struct TFirstError {
    bool Recorded = false;
    std::string Message;
    int Line = 0;
};

// Installed in the context's own SAX handler (never as a global handler); the
// context is the handler's user data and points at the TFirstError.
void RecordFirstError(void* AUserData, xmlError* AError)
{
    auto* context = static_cast<xmlParserCtxt*>(AUserData);
    auto* first = context != nullptr ? static_cast<TFirstError*>(context->_private) : nullptr;
    if (first == nullptr || first->Recorded || AError == nullptr || AError->level < XML_ERR_ERROR) return;
    first->Recorded = true;
    first->Message = AError->message != nullptr ? AError->message : "";
    first->Line = AError->line;
}

std::string ParseErrorMessage(const TFirstError& AFirst, const xmlError* ALast, std::string_view AText)
{
    std::string reason = AFirst.Recorded                                 ? AFirst.Message
                         : ALast != nullptr && ALast->message != nullptr ? ALast->message
                                                                         : "The XML text could not be parsed";
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    const int line = AFirst.Recorded ? AFirst.Line : ALast != nullptr ? ALast->line : 0;
    // The offending line may hold the very bytes that were refused: keep the
    // message valid UTF-8.
    const std::string source = CutUtf16(SanitizeUtf8(SourceLine(AText, line).substr(0, 160)), 40);
    return Format("%s%s%s: %d%s%s", SanitizeUtf8(reason).c_str(), "\r\n", "Line", line, "\r\n", source.c_str());
}

// The text is UTF-8. libxml2 guesses UTF-16, UCS-4 or EBCDIC from the first
// bytes when no encoding is named; naming UTF-8 for such a start makes those
// bytes the parse error they are. Ordinary text starts with "<" or a blank and
// is parsed in place, without the copy that naming an encoding costs.
const char* ForcedEncoding(std::string_view AText)
{
    if (AText.size() < 4) return nullptr;
    const auto detected = xmlDetectCharEncoding(reinterpret_cast<const unsigned char*>(AText.data()), 4);
    return detected == XML_CHAR_ENCODING_NONE || detected == XML_CHAR_ENCODING_UTF8 ? nullptr : "UTF-8";
}

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

TXMLDocument::TXMLDocument(TPrivate, _xmlDoc* ADoc) : FDoc(ADoc, xmlFreeDoc) {}

TXMLDocument::~TXMLDocument() = default;

IXMLDocument TXMLDocument::Create()
{
    libxml::EnsureInitialized();
    libxml::DocPtr doc(xmlNewDoc(libxml::ToXml("1.0")));
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
    libxml::EnsureInitialized();
    std::string_view text = AXml;
    if (text.substr(0, ByteOrderMark.size()) == ByteOrderMark) text.remove_prefix(ByteOrderMark.size());
    if (text.size() > static_cast<std::size_t>(INT_MAX)) {
        throw Exception(Format("%s%s%s: %d%s%s", "The XML text is too large", "\r\n", "Line", 0, "\r\n", ""));
    }
    // A parser context of our own per call: its errors are its own and never
    // reach the next document.
    TFirstError firstError;
    libxml::ParserCtxtPtr context(xmlNewParserCtxt());
    if (!context) throw std::bad_alloc();
    context->_private = &firstError;
    context->sax->serror = RecordFirstError;
    libxml::DocPtr doc(xmlCtxtReadMemory(context.get(), text.empty() ? "" : text.data(), static_cast<int>(text.size()),
                                         nullptr, ForcedEncoding(text), ParseOptions));
    // A prefix without declaration is not namespace-well-formed: refuse it too.
    if (!doc || !context->wellFormed || !context->nsWellFormed) {
        std::string message = ParseErrorMessage(firstError, xmlCtxtGetLastError(context.get()), text);
        xmlResetLastError();
        throw Exception(message);
    }
    xmlResetLastError();

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
    libxml::DocPtr doc(ADoc);
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
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(AFileName.c_str(), "wb"), std::fclose);
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
