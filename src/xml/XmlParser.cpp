#include "xml/XmlParser.h"

#include "common/Exception.h"

#include <climits>
#include <mutex>

namespace qorita::xml::libxml {

void EnsureInitialized()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

int ParseOptions(TXmlOrigin AOrigin)
{
    // Every text comes from outside the program: no network access, no DTD
    // loading and no entity substitution (so no external entity is ever read),
    // libxml2's default size and depth limits (no XML_PARSE_HUGE), errors read
    // from the context and never printed, whitespace between elements dropped.
    constexpr int hardened = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS;
    // A text the program holds is UTF-8 whatever encoding its declaration
    // names; received bytes are read in the encoding they name.
    return AOrigin == TXmlOrigin::Utf8Text ? hardened | XML_PARSE_IGNORE_ENC : hardened;
}

const char* ForcedEncoding(TXmlOrigin AOrigin, std::string_view AText)
{
    // libxml2 guesses UTF-16, UCS-4 or EBCDIC from the first bytes when no
    // encoding is named; naming UTF-8 for such a start of a UTF-8 text makes
    // those bytes the parse error they are. Ordinary text starts with "<" or a
    // blank and is parsed without the conversion pass that naming an encoding
    // costs.
    if (AOrigin != TXmlOrigin::Utf8Text || AText.size() < 4) return nullptr;
    const auto detected = xmlDetectCharEncoding(reinterpret_cast<const unsigned char*>(AText.data()), 4);
    return detected == XML_CHAR_ENCODING_NONE || detected == XML_CHAR_ENCODING_UTF8 ? nullptr : "UTF-8";
}

namespace {

xmlParserCtxt* NewParserContext()
{
    EnsureInitialized();
    return xmlNewParserCtxt();
}

}  // namespace

TParserContext::TParserContext(TXmlOrigin AOrigin) : TParserContext(AOrigin, NewParserContext()) {}

TParserContext::TParserContext(TXmlOrigin AOrigin, xmlParserCtxt* AContext) : FOrigin(AOrigin), FContext(AContext)
{
    if (!FContext || FContext->sax == nullptr) throw Exception("Out of memory creating an XML parser");
    FContext->_private = this;
    FContext->sax->serror = &TParserContext::RecordFirstError;
}

TParserContext::~TParserContext()
{
    // Nothing of this parse is left in libxml2's global error for the next reader.
    xmlResetLastError();
}

bool TParserContext::Accepts(const xmlDoc* ADoc) const
{
    if (ADoc == nullptr || !FContext->wellFormed) return false;
    // Bytes that are not in the declared encoding halt the parser without
    // marking the text ill-formed: what was built so far (perhaps nothing) is
    // not the document.
    if (FContext->errNo == XML_ERR_INVALID_ENCODING || FContext->errNo == XML_I18N_CONV_FAILED) return false;
    if (xmlDocGetRootElement(ADoc) == nullptr) return false;
    // A prefix without declaration is not namespace-well-formed.
    return FOrigin != TXmlOrigin::Utf8Text || FContext->nsWellFormed;
}

std::string TParserContext::ErrorMessage() const
{
    if (FRecorded) return ParseErrorMessage(FReason, FLine, SourceLine(FLine), FOrigin);
    const xmlError* last = xmlCtxtGetLastError(FContext.get());
    const int line = last != nullptr ? last->line : 0;
    const char* reason = last != nullptr && last->message != nullptr && *last->message != '\0'
                             ? last->message
                             : "Input is not proper for its declared encoding";
    return ParseErrorMessage(reason, line, SourceLine(line), FOrigin);
}

TParserContext& TParserContext::Of(void* AContext)
{
    return *static_cast<TParserContext*>(static_cast<xmlParserCtxt*>(AContext)->_private);
}

void TParserContext::RecordFirstError(void* AContext, xmlError* AError)
{
    if (AContext == nullptr || static_cast<xmlParserCtxt*>(AContext)->_private == nullptr) return;
    TParserContext& self = Of(AContext);
    if (self.FRecorded || AError == nullptr || AError->level < XML_ERR_ERROR) return;
    self.FRecorded = true;
    self.FLine = AError->line;
    self.FReason = self.FirstError(AError->code, AError->line, AError->message != nullptr ? AError->message : "");
}

namespace {

// A text held whole in memory while it is parsed.
class TTextParse final : public TParserContext {
public:
    explicit TTextParse(std::string_view AText) : TParserContext(TXmlOrigin::Utf8Text), FText(AText) {}

private:
    std::string SourceLine(int ALine) const override { return xml::SourceLine(FText, ALine, Origin()); }

    std::string_view FText;
};

}  // namespace

TDocPtr ParseText(std::string_view AText)
{
    if (AText.size() > static_cast<std::size_t>(INT_MAX)) {
        throw Exception(ParseErrorMessage("The XML text is too large", 0, "", TXmlOrigin::Utf8Text));
    }
    TTextParse parse(AText);
    TDocPtr doc(xmlCtxtReadMemory(parse.Get(), AText.empty() ? "" : AText.data(), static_cast<int>(AText.size()),
                                  nullptr, ForcedEncoding(parse.Origin(), AText), ParseOptions(parse.Origin())));
    if (!parse.Accepts(doc.get())) throw Exception(parse.ErrorMessage());
    return doc;
}

}  // namespace qorita::xml::libxml
