#include "labelservice/Rest.SourceLines.h"

#include <algorithm>
#include <cstring>

namespace qorita::labelservice::soapxml {

namespace {

// Start of the line that position APosition of AText is in.
std::size_t LineStart(std::string_view AText, std::size_t APosition)
{
    const void* found = memrchr(AText.data(), '\n', APosition);
    return found == nullptr ? 0 : static_cast<std::size_t>(static_cast<const char*>(found) - AText.data()) + 1;
}

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

std::string SourceLine(std::string_view AText, int ALine, std::size_t ACount)
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
    std::size_t end = 0;
    for (std::size_t chars = 0; end < rest.size() && chars < ACount; ++chars) {
        ++end;
        while (end < rest.size() && (static_cast<unsigned char>(rest[end]) & 0xC0) == 0x80)
            ++end;  // continuation bytes of a UTF-8 sequence
    }
    return std::string(rest.substr(0, end));
}

TSourceLines::TSourceLines(std::string_view AText, bool AKeepCopy)
{
    if (AKeepCopy) {
        FCopy.emplace(AText);
        return;
    }
    FFirstLine = SourceLine(AText, 1);
    FReleasedLineText = FFirstLine;
    if (AText.size() <= SourceTailBytes) {
        FTail.assign(AText);
        FTailLineText = FFirstLine;
        return;
    }
    const std::size_t tailStart = AText.size() - SourceTailBytes;
    FTail.assign(AText.substr(tailStart));
    FTailLine = 1 + CountLineFeeds(AText.substr(0, tailStart));
    FTailLineText = SourceLine(AText.substr(LineStart(AText, tailStart)), 1);
}

void TSourceLines::Releasing(std::string_view AText, std::size_t ATo)
{
    if (FCopy || ATo <= FReleased) return;
    const std::string_view part = AText.substr(FReleased, ATo - FReleased);
    const std::size_t feeds = CountLineFeeds(part);
    if (feeds > 0) {
        // A new line begins in the part: keep its start while it is still there.
        FReleasedLine += feeds;
        FReleasedLineText = SourceLine(AText.substr(LineStart(AText, ATo)), 1);
    }
    FReleased = ATo;
}

std::string TSourceLines::Line(int ALine, std::optional<std::string_view> ACurrent) const
{
    if (FCopy) return SourceLine(*FCopy, ALine);
    if (ALine <= 1) return FFirstLine;
    const auto line = static_cast<std::size_t>(ALine);
    if (ACurrent) {
        if (FReleased == 0) return SourceLine(*ACurrent, ALine);
        if (line == FReleasedLine) return FReleasedLineText;
        if (line > FReleasedLine)
            return SourceLine(ACurrent->substr(FReleased), static_cast<int>(line - FReleasedLine + 1));
        return {};  // behind the parser: no error is ever there
    }
    if (line == FTailLine) return FTailLineText;
    if (line > FTailLine) return SourceLine(FTail, static_cast<int>(line - FTailLine + 1));
    return {};  // the parser moves the text only once it is at its end
}

}  // namespace qorita::labelservice::soapxml
