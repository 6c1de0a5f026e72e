#pragma once

// The start of the line a parse error names in received bytes
// (TXmlOrigin::Received), for the error's message. The text being parsed
// does not stay whole: the pages the parser has left behind
// are given back as it goes, and near the very end libxml2 moves the unread
// rest of its buffer to the front. An error is never behind the parser, so
// only these lines can be asked for: the first one (an error without a
// position names line 1), the line the given-back part ends in, which is kept
// when its start goes, any line after it, still in the text, and the lines
// from shortly before the end, kept from the start.

#include "xml/ParseError.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qorita::xml {

// The bytes kept of the end of the text: libxml2 moves the unread rest of its
// buffer only within the last 500 bytes of it.
inline constexpr std::size_t SourceTailBytes = 4096;

class TSourceLines {
public:
    // AText whole, before the parser starts. AKeepCopy: keep all of it (for a
    // text the parser converts from another encoding and so never reads itself).
    TSourceLines(std::string_view AText, bool AKeepCopy);

    // Before AText (the text as it still is) is given back up to ATo; from
    // where the last call left off, or from the start.
    void Releasing(std::string_view AText, std::size_t ATo);
    std::size_t Released() const { return FReleased; }

    // SourceLine(text as it was at the start, ALine, TXmlOrigin::Received).
    // ACurrent: the text as it now is, given back up to Released(); nothing
    // when the parser moved it or let it go, and the line comes from what was
    // kept.
    std::string Line(int ALine, std::optional<std::string_view> ACurrent) const;

private:
    std::optional<std::string> FCopy;
    std::string FFirstLine;
    // The line of the text in which the given-back part ends.
    std::size_t FReleased = 0;
    std::size_t FReleasedLine = 1;
    std::string FReleasedLineText;
    // The last bytes of the text and the line they begin in.
    std::string FTail;
    std::size_t FTailLine = 1;
    std::string FTailLineText;
};

}  // namespace qorita::xml
