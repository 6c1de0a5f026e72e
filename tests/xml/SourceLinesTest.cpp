// The line a parse error names must read as it did in the whole text, though
// the text is given back behind the parser and moved by it near the end.

#include "xml/SourceLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace qorita::xml {
namespace {

// The start of a line of received bytes, as a parse error quotes it.
std::string SourceLine(std::string_view AText, int ALine)
{
    return xml::SourceLine(AText, ALine, TXmlOrigin::Received);
}

// The line (from 1) that position APosition of AText is in.
int LineAt(const std::string& AText, std::size_t APosition)
{
    return 1 + static_cast<int>(std::count(AText.begin(), AText.begin() + static_cast<long>(APosition), '\n'));
}

// A text of short and long lines, CR LF and lone CR, UTF-8 and stray
// continuation bytes.
std::string RandomText(std::mt19937& ARandom, std::size_t ASize)
{
    static const std::vector<std::string> pieces = {
        "a", "<b>", "\n", "\r\n", "\r", "è", "€", "😀", "\x80\x80", std::string(90, 'x'), "    "};
    std::string text;
    while (text.size() < ASize) text += pieces[ARandom() % pieces.size()];
    return text;
}

TEST(SourceLines, AreReadAsFromTheWholeText)
{
    std::mt19937 random(20261210);
    for (const std::size_t size : std::initializer_list<std::size_t>{0, 30, 3000, SourceTailBytes + 1, 20000, 200000}) {
        for (int round = 0; round < 6; ++round) {
            const std::string text = RandomText(random, size);
            SCOPED_TRACE("size " + std::to_string(text.size()) + " round " + std::to_string(round));
            const int lines = LineAt(text, text.size()) + 2;

            const TSourceLines copy(text, true);
            for (int line = -1; line <= lines; ++line) EXPECT_EQ(copy.Line(line, std::nullopt), SourceLine(text, line));

            // Given back step by step: given-back bytes read as zeros.
            TSourceLines kept(text, false);
            std::string current = text;
            std::size_t released = 0;
            for (int step = 0; step < 5 && !text.empty(); ++step) {
                const std::size_t to = std::min(text.size(), released + random() % (text.size() / 3 + 1));
                kept.Releasing(current, to);
                std::fill(current.begin(), current.begin() + static_cast<long>(to), '\0');
                released = std::max(released, to);
                EXPECT_EQ(kept.Released(), released);
                for (int line = -1; line <= lines; ++line) {
                    if (line > 1 && line < LineAt(text, released)) continue;  // behind the parser
                    EXPECT_EQ(kept.Line(line, current), SourceLine(text, line)) << "line " << line;
                }
            }
            // Moved by the parser near the end: only the kept lines are left.
            const std::size_t tail = text.size() > SourceTailBytes ? text.size() - SourceTailBytes : 0;
            for (int line = -1; line <= lines; ++line) {
                if (line > 1 && line < LineAt(text, tail)) continue;
                EXPECT_EQ(kept.Line(line, std::nullopt), SourceLine(text, line)) << "line " << line;
            }
        }
    }
}

TEST(SourceLines, ShowFortyCharactersWithoutTheLineEnd)
{
    EXPECT_EQ(SourceLine("a\r\nb", 1), "a");
    EXPECT_EQ(SourceLine("a\nb", 2), "b");
    EXPECT_EQ(SourceLine("a\nb", 3), "");
    EXPECT_EQ(SourceLine("a\nb", 0), "a");
    EXPECT_EQ(SourceLine(std::string(50, 'x'), 1), std::string(40, 'x'));
    std::string accents;
    for (int i = 0; i < 45; ++i) accents += "à";
    EXPECT_EQ(SourceLine(accents, 1).size(), 80u);
}

}  // namespace
}  // namespace qorita::xml
