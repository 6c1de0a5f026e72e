#include "xml/ParseError.h"

#include "common/Exception.h"
#include "common/Utf8.h"

#include <algorithm>

namespace qorita::xml {

namespace {

// Bytes of the line looked at before the cut: 40 UTF-16 code units never take more.
constexpr std::size_t SourceLineBytes = 160;

// Line ALine of a text the program holds, lines broken at CR LF, LF and a lone CR.
std::string_view Utf8TextLine(std::string_view AText, int ALine)
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

// Line ALine of received bytes (line 1 below 1), lines broken at LF, a CR before it dropped.
std::string_view ReceivedLine(std::string_view AText, int ALine)
{
    std::size_t start = 0;
    for (int line = 1; line < ALine && start != std::string_view::npos; ++line) {
        start = AText.find('\n', start);
        if (start != std::string_view::npos) ++start;
    }
    if (start == std::string_view::npos || start > AText.size()) return {};
    std::string_view rest = AText.substr(start);
    rest = rest.substr(0, std::min(rest.find('\n'), rest.size()));
    if (!rest.empty() && rest.back() == '\r') rest.remove_suffix(1);
    return rest;
}

}  // namespace

std::string SourceLine(std::string_view AText, int ALine, TXmlOrigin AOrigin)
{
    // The two kinds of text are quoted by rules of their own, which callers and
    // their tests see: a document's message is always valid UTF-8, received
    // bytes are shown as they came.
    if (AOrigin == TXmlOrigin::Utf8Text) {
        return CutUtf16(SanitizeUtf8(Utf8TextLine(AText, ALine).substr(0, SourceLineBytes)), SourceLineChars);
    }
    return std::string(FirstCharacters(ReceivedLine(AText, ALine), SourceLineChars));
}

std::string ParseErrorMessage(std::string_view AReason, int ALine, std::string_view ASourceLine, TXmlOrigin AOrigin)
{
    std::string reason(AReason);
    if (reason.empty()) {
        reason = AOrigin == TXmlOrigin::Utf8Text ? "The XML text could not be parsed" : "Unknown parse error";
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    // The reason may quote the very bytes that were refused.
    if (AOrigin == TXmlOrigin::Utf8Text) reason = SanitizeUtf8(reason);
    const std::string source(ASourceLine);
    return Format("%s%s%s: %d%s%s", reason.c_str(), "\r\n", "Line", ALine, "\r\n", source.c_str());
}

}  // namespace qorita::xml
