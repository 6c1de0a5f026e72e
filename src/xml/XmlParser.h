#pragma once

// How every XML text the program reads is parsed: libxml2 set up once, one set
// of hardened options, a parser context of its own per parse that records the
// parse's first error, and the one message a failed parse throws
// (ParseError.h). Included by .cpp files of src/xml only.

#include "xml/LibXml.h"
#include "xml/ParseError.h"

#include <string>
#include <string_view>

namespace qorita::xml::libxml {

// Makes sure the library is initialised once before its first use.
void EnsureInitialized();

// The parser's options for a text of AOrigin.
int ParseOptions(TXmlOrigin AOrigin);

// The encoding to name for AText, or null to let the parser read it as it is.
const char* ForcedEncoding(TXmlOrigin AOrigin, std::string_view AText);

// A libxml2 parser context of our own for one parse, so that its errors are its
// own and never reach the next text. It records the first error (libxml2 goes
// on after a fatal error, and its last error is often only the consequence:
// "Premature end of data" after a tag mismatch) through the context's own SAX
// handler, never a global one.
class TParserContext {
public:
    explicit TParserContext(TXmlOrigin AOrigin);
    // Over a context made by the caller (a push parser's), owned from now on;
    // null fails as running out of memory does.
    TParserContext(TXmlOrigin AOrigin, xmlParserCtxt* AContext);
    virtual ~TParserContext();
    TParserContext(const TParserContext&) = delete;
    TParserContext& operator=(const TParserContext&) = delete;

    xmlParserCtxt* Get() const { return FContext.get(); }
    TXmlOrigin Origin() const { return FOrigin; }

    // Whether the parse gave ADoc as the origin accepts it: well formed and,
    // for a UTF-8 text, with every prefix declared (received bytes leave that
    // to the caller).
    bool Accepts(const xmlDoc* ADoc) const;

    // The message of the failed parse: its first error, else the context's last.
    std::string ErrorMessage() const;

protected:
    // The start of line ALine of the text as it stood when the parse began,
    // as the origin quotes it (SourceLine).
    virtual std::string SourceLine(int ALine) const = 0;
    // The first error, libxml2's code AError, on line ALine: the reason the
    // message gives (AReason unless the parse knows better). Its line is
    // quoted when the message is made, after the parse.
    virtual std::string FirstError(int /*ACode*/, int /*ALine*/, std::string AReason) { return AReason; }

    // The object that owns AContext, the user data of the context's SAX handlers.
    static TParserContext& Of(void* AContext);

private:
    static void RecordFirstError(void* AContext, xmlError* AError);

    TXmlOrigin FOrigin;
    ParserCtxtPtr FContext;
    bool FRecorded = false;
    std::string FReason;
    int FLine = 0;
};

// Parses AText, a text the program holds whole (TXmlOrigin::Utf8Text); a
// failure throws qorita::Exception with the parse-error message.
TDocPtr ParseText(std::string_view AText);

}  // namespace qorita::xml::libxml
