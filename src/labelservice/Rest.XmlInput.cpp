#include "labelservice/Rest.XmlInput.h"

#include "common/Exception.h"
#include "labelservice/Rest.SourceLines.h"
#include "xml/LibXml.h"

#include <libxml/SAX2.h>
#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <utility>

namespace qorita::labelservice::soapxml {

namespace {

// Text is given back in steps of at least a megabyte, and never the last
// 64 KB behind the parser.
constexpr std::size_t kReleaseStep = 1u << 20;
constexpr std::size_t kReleaseMargin = 64u << 10;

struct TParserCtxtFree {
    void operator()(xmlParserCtxt* ACtxt) const noexcept { xmlFreeParserCtxt(ACtxt); }
};

bool EqualsNoCaseAscii(std::string_view A, std::string_view B)
{
    return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// Whether libxml2 will read the text through a converter from another
// encoding (a byte order mark of UTF-16 or UCS-4, a declared encoding other
// than UTF-8): it then never reads the text itself, and the lines for its
// error messages must come from a copy. Anything unusual in the declaration
// counts as another encoding.
bool ReadThroughConverter(std::string_view AText)
{
    if (AText.size() >= 4) {
        const xmlCharEncoding detected = xmlDetectCharEncoding(reinterpret_cast<const unsigned char*>(AText.data()), 4);
        if (detected != XML_CHAR_ENCODING_NONE && detected != XML_CHAR_ENCODING_UTF8) return true;
    }
    if (AText.substr(0, 3) == "\xEF\xBB\xBF") AText.remove_prefix(3);
    if (AText.substr(0, 5) != "<?xml") return false;
    const std::string_view declaration = AText.substr(0, AText.find("?>"));
    const std::size_t name = declaration.find("encoding");
    if (name == std::string_view::npos) return false;
    std::string_view rest = declaration.substr(name + 8);
    const auto skipBlanks = [&rest] {
        while (!rest.empty() &&
               (rest.front() == ' ' || rest.front() == '\t' || rest.front() == '\r' || rest.front() == '\n'))
            rest.remove_prefix(1);
    };
    skipBlanks();
    if (rest.empty() || rest.front() != '=') return true;
    rest.remove_prefix(1);
    skipBlanks();
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) return true;
    const char quote = rest.front();
    rest.remove_prefix(1);
    const std::size_t end = rest.find(quote);
    if (end == std::string_view::npos) return true;
    const std::string_view value = rest.substr(0, end);
    return !EqualsNoCaseAscii(value, "UTF-8") && !EqualsNoCaseAscii(value, "UTF8");
}

std::string_view BufferText(const xmlParserInputBuffer* ABuffer)
{
    return {reinterpret_cast<const char*>(xmlBufContent(ABuffer->buffer)), xmlBufUse(ABuffer->buffer)};
}

// One parse: the first error libxml2 reports (it keeps scanning after a fatal
// error, and its "last error" then names a later, less telling one) with the
// line it names, and the text given back so far.
class TParse {
public:
    explicit TParse(std::string_view AText, bool AThroughConverter)
        : FSize(AText.size()), FLines(AText, AThroughConverter)
    {
    }

    bool ErrorSeen() const { return FErrorSeen; }
    const std::string& ErrorMessage() const { return FErrorMessage; }
    int ErrorLine() const { return FErrorLine; }
    const std::string& ErrorSource() const { return FErrorSource; }

    // The start of line ALine of the text, for an error's message.
    std::string Line(xmlParserCtxt* ACtxt, int ALine) const { return FLines.Line(ALine, Current(ACtxt)); }

    // The context's own handler receives the context; _private carries the parse.
    static void RecordError(void* AContext, xmlError* AError)
    {
        auto* ctxt = static_cast<xmlParserCtxt*>(AContext);
        auto* parse = static_cast<TParse*>(ctxt->_private);
        if (parse == nullptr || parse->FErrorSeen || AError == nullptr || AError->level < XML_ERR_ERROR) return;
        parse->FErrorSeen = true;
        parse->FErrorMessage = AError->message != nullptr ? AError->message : "Unknown parse error";
        parse->FErrorLine = AError->line;
        // Now, while the text is still there: libxml2 may let it go next.
        parse->FErrorSource = parse->Line(ctxt, AError->line);
    }

    // Ends an element as libxml2 does, then gives back the text behind it.
    static void EndElement(void* AContext, const xmlChar* ALocalName, const xmlChar* APrefix, const xmlChar* AUri)
    {
        xmlSAX2EndElementNs(AContext, ALocalName, APrefix, AUri);
        auto* ctxt = static_cast<xmlParserCtxt*>(AContext);
        static_cast<TParse*>(ctxt->_private)->ReleaseBehind(ctxt);
    }

private:
    // The text as the parser holds it now, when it is still where it was: not
    // converted, not moved to the front of its buffer.
    std::optional<std::string_view> Current(xmlParserCtxt* ACtxt) const
    {
        const xmlParserInput* input = ACtxt->inputNr > 0 ? ACtxt->inputTab[0] : nullptr;
        if (input == nullptr || input->buf == nullptr || input->buf->encoder != nullptr || input->consumed != 0 ||
            input->base == nullptr || input->end == nullptr)
            return std::nullopt;
        const std::string_view text(reinterpret_cast<const char*>(input->base),
                                    static_cast<std::size_t>(input->end - input->base));
        if (text.size() != FSize) return std::nullopt;
        return text;
    }

    // The pages wholly behind the parser, less a margin, go back to the system
    // (MADV_DONTNEED: they read as zeros from then on, and the memory stays the
    // buffer's until libxml2 frees it). Only between elements, where the parser
    // holds no pointer into the text behind it.
    void ReleaseBehind(xmlParserCtxt* ACtxt)
    {
        if (ACtxt->inputNr != 1) return;  // inside an entity's text
        const std::optional<std::string_view> text = Current(ACtxt);
        if (!text) return;
        const std::size_t position = static_cast<std::size_t>(ACtxt->input->cur - ACtxt->input->base);
        if (position < FLines.Released() + kReleaseMargin + kReleaseStep) return;
        const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        const auto base = reinterpret_cast<std::uintptr_t>(text->data());
        const std::uintptr_t from = (base + FLines.Released() + page - 1) & ~(page - 1);
        const std::uintptr_t to = (base + position - kReleaseMargin) & ~(page - 1);
        if (to <= from || to - from < kReleaseStep) return;
        FLines.Releasing(*text, to - base);
        madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
    }

    std::size_t FSize;
    TSourceLines FLines;
    bool FErrorSeen = false;
    std::string FErrorMessage;
    int FErrorLine = 0;
    std::string FErrorSource;
};

}  // namespace

TXmlInput::TXmlInput() : FBuffer(xmlParserInputBufferCreateMem("", 0, XML_CHAR_ENCODING_NONE))
{
    if (!FBuffer) throw Exception("Out of memory creating an XML parser");
}

TXmlInput::TXmlInput(std::string_view AText) : TXmlInput()
{
    if (!Append(AText)) throw Exception("Out of memory creating an XML parser");
}

TXmlInput::~TXmlInput() = default;

void TXmlInput::Reserve(std::size_t ABytes)
{
    constexpr std::size_t kSmall = 64u << 10;
    if (!FBuffer || Size() != 0 || ABytes <= kSmall || ABytes > static_cast<std::size_t>(INT_MAX / 2)) return;
    // libxml2 gives a new input buffer twice xmlDefaultBufferSize of room:
    // that size is set for this one buffer only. The room is only allocated,
    // not touched, until the text arrives.
    const int saved = xmlDefaultBufferSize;
    xmlDefaultBufferSize = static_cast<int>(ABytes / 2 + kSmall);
    std::unique_ptr<xmlParserInputBuffer, TBufferFree> larger(
        xmlParserInputBufferCreateMem("", 0, XML_CHAR_ENCODING_NONE));
    xmlDefaultBufferSize = saved;
    if (larger) FBuffer = std::move(larger);
}

bool TXmlInput::Append(std::string_view AData)
{
    if (!FBuffer) return false;
    while (!AData.empty()) {
        const std::size_t chunk = std::min<std::size_t>(AData.size(), INT_MAX / 2);
        if (xmlParserInputBufferPush(FBuffer.get(), static_cast<int>(chunk), AData.data()) < 0) return false;
        AData.remove_prefix(chunk);
    }
    return true;
}

std::size_t TXmlInput::Size() const { return FBuffer ? xmlBufUse(FBuffer->buffer) : 0; }

TParsedXml TXmlInput::Parse()
{
    xml::libxml::EnsureInitialized();
    if (!FBuffer) throw Exception("The XML text was already parsed");
    const std::string_view text = BufferText(FBuffer.get());
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw Exception("Document too large to parse");
    TParse parse(text, ReadThroughConverter(text));

    std::unique_ptr<xmlParserCtxt, TParserCtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt || ctxt->sax == nullptr) throw Exception("Out of memory creating an XML parser");
    ctxt->_private = &parse;
    ctxt->sax->serror = &TParse::RecordError;
    // As xmlCtxtReadMemory does, but on the text where it already is. Once
    // made, the input stream owns the buffer; the context owns the stream
    // (inputPush frees it when it cannot take it).
    xmlParserInput* input = xmlNewIOInputStream(ctxt.get(), FBuffer.get(), XML_CHAR_ENCODING_NONE);
    if (input == nullptr) {
        FBuffer.reset();
        throw Exception("Out of memory creating an XML parser");
    }
    (void)FBuffer.release();
    if (inputPush(ctxt.get(), input) < 0) throw Exception("Out of memory creating an XML parser");
    xmlCtxtUseOptions(ctxt.get(), XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS);
    ctxt->sax->endElementNs = &TParse::EndElement;
    xmlParseDocument(ctxt.get());

    TParsedXml parsed{TDocPtr(ctxt->myDoc), ctxt->nsWellFormed != 0};
    ctxt->myDoc = nullptr;
    if (parsed.Doc && ctxt->wellFormed) return parsed;
    parsed.Doc.reset();
    std::string reason = parse.ErrorMessage();
    int line = parse.ErrorLine();
    std::string source = parse.ErrorSource();
    if (!parse.ErrorSeen()) {
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        reason = error != nullptr && error->message != nullptr ? error->message : "Unknown parse error";
        line = error != nullptr ? error->line : 0;
        source = parse.Line(ctxt.get(), line);
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    throw Exception(Format("%s%s%s: %d%s%s", reason.c_str(), "\r\n", "Line", line, "\r\n", source.c_str()));
}

}  // namespace qorita::labelservice::soapxml
