#include "xml/SourceLines.h"

#include <algorithm>
#include <cstring>

namespace qorita::xml {

namespace {

// Start of the line that position APosition of AText is in.
std::size_t LineStart(std::string_view AText, std::size_t APosition)
{
    const std::size_t found = AText.substr(0, APosition).rfind('\n');
    return found == std::string_view::npos ? 0 : found + 1;
}

// Line ALine of received bytes, as a parse error quotes it.
std::string ReceivedLine(std::string_view AText, int ALine) { return SourceLine(AText, ALine, TXmlOrigin::Received); }

// memchr finds line feeds several times faster than a byte loop, even in
// lines of 80 characters.
std::size_t CountLineFeeds(std::string_view AText)
{
    std::size_t count = 0;
    const char* end = AText.data() + AText.size();
    for (const char* at = AText.data();
         at < end &&
         (at = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)))) != nullptr;
         ++at)
        ++count;
    return count;
}

}  // namespace

TSourceLines::TSourceLines(std::string_view AText, bool AKeepCopy)
{
    if (AKeepCopy) {
        FCopy.emplace(AText);
        return;
    }
    FFirstLine = ReceivedLine(AText, 1);
    FReleasedLineText = FFirstLine;
    if (AText.size() <= SourceTailBytes) {
        FTail.assign(AText);
        FTailLineText = FFirstLine;
        return;
    }
    const std::size_t tailStart = AText.size() - SourceTailBytes;
    FTail.assign(AText.substr(tailStart));
    FTailLine = 1 + CountLineFeeds(AText.substr(0, tailStart));
    FTailLineText = ReceivedLine(AText.substr(LineStart(AText, tailStart)), 1);
}

void TSourceLines::Releasing(std::string_view AText, std::size_t ATo)
{
    if (FCopy || ATo <= FReleased) return;
    const std::string_view part = AText.substr(FReleased, ATo - FReleased);
    const std::size_t feeds = CountLineFeeds(part);
    if (feeds > 0) {
        // A new line begins in the part: keep its start while it is still there.
        FReleasedLine += feeds;
        FReleasedLineText = ReceivedLine(AText.substr(LineStart(AText, ATo)), 1);
    }
    FReleased = ATo;
}

std::string TSourceLines::Line(int ALine, std::optional<std::string_view> ACurrent) const
{
    if (FCopy) return ReceivedLine(*FCopy, ALine);
    if (ALine <= 1) return FFirstLine;
    const auto line = static_cast<std::size_t>(ALine);
    if (ACurrent) {
        if (FReleased == 0) return ReceivedLine(*ACurrent, ALine);
        if (line == FReleasedLine) return FReleasedLineText;
        if (line > FReleasedLine)
            return ReceivedLine(ACurrent->substr(FReleased), static_cast<int>(line - FReleasedLine + 1));
        return {};  // behind the parser: no error is ever there
    }
    if (line == FTailLine) return FTailLineText;
    if (line > FTailLine) return ReceivedLine(FTail, static_cast<int>(line - FTailLine + 1));
    return {};  // the parser moves the text only once it is at its end
}

}  // namespace qorita::xml
