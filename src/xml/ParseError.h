#pragma once

// The message a failed parse throws, the same for every text the program
// reads: the parser's reason, CR LF "Line: n", CR LF the start of that line.
// How the line is found and cut depends on where the text comes from.

#include <cstddef>
#include <string>
#include <string_view>

namespace qorita::xml {

// Where a text comes from, which decides how it is read (XmlParser.h) and how
// a parse error quotes its line.
enum class TXmlOrigin {
    // A document the program holds as UTF-8 (a message document, the payload
    // of an answer): an error quotes valid UTF-8 only (a refused byte shows as
    // U+FFFD), at most 40 UTF-16 code units of the line, lines broken at
    // CR LF, LF and a lone CR; an error without a line quotes nothing.
    Utf8Text,
    // Bytes as the network gave them (the SOAP answer, the service
    // description), in whatever encoding they name: an error quotes the
    // bytes as they are, at most 40 characters of the line, lines broken at
    // LF only (a CR before it is dropped); an error without a line quotes
    // line 1.
    Received,
};

// The characters (or UTF-16 code units) quoted of a line.
inline constexpr std::size_t SourceLineChars = 40;

// The start of line ALine (from 1) of AText as an error quotes it; empty when
// the text has no such line.
std::string SourceLine(std::string_view AText, int ALine, TXmlOrigin AOrigin);

// AReason (trailing blanks and line ends dropped; empty when the parser gave
// none), the line and the start of the line, composed into the message.
std::string ParseErrorMessage(std::string_view AReason, int ALine, std::string_view ASourceLine, TXmlOrigin AOrigin);

}  // namespace qorita::xml
