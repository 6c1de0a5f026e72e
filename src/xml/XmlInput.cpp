#include "xml/XmlInput.h"

#include "common/Exception.h"
#include "common/Memory.h"
#include "common/Text.h"
#include "xml/LibXml.h"
#include "xml/SourceLines.h"
#include "xml/XmlParser.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <utility>

namespace qorita::xml {

namespace {

// Text is given back in steps of at least a megabyte, and never the last
// 64 KB behind the parser.
constexpr std::size_t kReleaseStep = 1u << 20;
constexpr std::size_t kReleaseMargin = 64u << 10;

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
    return !EqualsNoCase(value, "UTF-8") && !EqualsNoCase(value, "UTF8");
}

std::string_view BufferText(const xmlParserInputBuffer* ABuffer)
{
    return {reinterpret_cast<const char*>(xmlBufContent(ABuffer->buffer)), xmlBufUse(ABuffer->buffer)};
}

// One parse of received bytes where they lie, giving back the text behind
// the parser as it goes; the lines of its errors come from what was kept.
class TParse final : public libxml::TParserContext {
public:
    TParse(std::string_view AText, bool AThroughConverter)
        : TParserContext(TXmlOrigin::Received), FSize(AText.size()), FLines(AText, AThroughConverter)
    {
    }

    // Ends an element as libxml2 does, then gives back the text behind it.
    static void EndElement(void* AContext, const xmlChar* ALocalName, const xmlChar* APrefix, const xmlChar* AUri)
    {
        xmlSAX2EndElementNs(AContext, ALocalName, APrefix, AUri);
        static_cast<TParse&>(Of(AContext)).ReleaseBehind();
    }

private:
    // The text as the parser holds it now, when it is still where it was: not
    // converted, not moved to the front of its buffer.
    std::optional<std::string_view> Current() const
    {
        const xmlParserCtxt* ctxt = Get();
        const xmlParserInput* input = ctxt->inputNr > 0 ? ctxt->inputTab[0] : nullptr;
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
    void ReleaseBehind()
    {
        const xmlParserCtxt* ctxt = Get();
        if (ctxt->inputNr != 1) return;  // inside an entity's text
        const std::optional<std::string_view> text = Current();
        if (!text) return;
        const std::size_t position = static_cast<std::size_t>(ctxt->input->cur - ctxt->input->base);
        if (position < FLines.Released() + kReleaseMargin + kReleaseStep) return;
        const auto page = static_cast<std::uintptr_t>(PageSize());
        const auto base = reinterpret_cast<std::uintptr_t>(text->data());
        const std::uintptr_t from = (base + FLines.Released() + page - 1) & ~(page - 1);
        const std::uintptr_t to = (base + position - kReleaseMargin) & ~(page - 1);
        if (to <= from || to - from < kReleaseStep) return;
        FLines.Releasing(*text, to - base);
        ReleasePages(reinterpret_cast<void*>(from), to - from);
    }

    // While the text is still there: libxml2 may let it go next.
    std::string SourceLine(int ALine) const override { return FLines.Line(ALine, Current()); }

    std::size_t FSize;
    TSourceLines FLines;
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
    if (!FBuffer) throw Exception("The XML text was already parsed");
    const std::string_view text = BufferText(FBuffer.get());
    if (text.size() > static_cast<std::size_t>(INT_MAX)) throw Exception("Document too large to parse");
    TParse parse(text, ReadThroughConverter(text));
    xmlParserCtxt* ctxt = parse.Get();
    // As xmlCtxtReadMemory does, but on the text where it already is. Once
    // made, the input stream owns the buffer; the context owns the stream
    // (inputPush frees it when it cannot take it).
    xmlParserInput* input = xmlNewIOInputStream(ctxt, FBuffer.get(), XML_CHAR_ENCODING_NONE);
    if (input == nullptr) {
        FBuffer.reset();
        throw Exception("Out of memory creating an XML parser");
    }
    (void)FBuffer.release();
    if (inputPush(ctxt, input) < 0) throw Exception("Out of memory creating an XML parser");
    xmlCtxtUseOptions(ctxt, libxml::ParseOptions(parse.Origin()));
    ctxt->sax->endElementNs = &TParse::EndElement;
    xmlParseDocument(ctxt);

    TDocPtr doc(ctxt->myDoc);
    ctxt->myDoc = nullptr;
    if (!parse.Accepts(doc.get())) throw Exception(parse.ErrorMessage());
    return TParsedXml(std::move(doc), ctxt->nsWellFormed != 0);
}

void TXmlInput::TBufferFree::operator()(_xmlParserInputBuffer* ABuffer) const noexcept
{
    xmlFreeParserInputBuffer(ABuffer);
}

}  // namespace qorita::xml
