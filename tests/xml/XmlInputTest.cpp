// Received XML is parsed piece by piece as it arrives and never kept: a parse
// error must still quote its line as the whole text shows it, and the tree is
// bounded whatever the text.

#include "xml/XmlInput.h"

#include "ErrorOf.h"
#include "xml/ParseError.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qorita::xml {
namespace {

using test::ErrorOf;

// The outcome of AText received in pieces of APiece bytes.
std::string ReceiveError(const std::string& AText, std::size_t APiece)
{
    return ErrorOf([&] {
        TXmlInput input;
        for (std::size_t at = 0; at < AText.size(); at += APiece)
            input.Append(std::string_view(AText).substr(at, APiece));
        input.Parse();
    });
}

TEST(XmlInput, ErrorsQuoteTheirLineAsTheWholeTextShowsIt)
{
    std::string manyLines = "<r>\r\n";
    for (int i = 0; i < 6000; ++i) manyLines += "<a>line " + std::to_string(i) + "</a>\r\n";
    const std::string longLine = "<r><z>" + std::string(300000, 'x') + "</y></r>";
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"mismatch past thousands of lines", manyLines + "<b></c>\r\n</r>"},
        {"mismatch after a long line", "<r>\n<z>" + std::string(200000, 'q') + "</z>\n  <b>è</c>\n</r>"},
        {"mismatch on a long line", longLine},
        {"cut short", manyLines.substr(0, manyLines.size() - 7)},
        {"a control character", "<r>\n\n<a>\x01</a></r>"},
        {"not XML", "Service Unavailable\r\n"},
        {"nothing after the declaration", "<?xml version=\"1.0\"?>\n"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        const std::string whole = ReceiveError(text, text.size());
        const std::size_t lineAt = whole.find("\r\nLine: ");
        ASSERT_NE(lineAt, std::string::npos) << whole;
        const std::size_t quoteAt = whole.find("\r\n", lineAt + 2);
        const int line = std::stoi(whole.substr(lineAt + 8, quoteAt - lineAt - 8));
        EXPECT_EQ(whole.substr(quoteAt + 2), SourceLine(text, line, TXmlOrigin::Received)) << whole;
        // However the text is cut into pieces, the message is the same.
        for (const std::size_t piece : {1ul, 7ul, 1000ul, 16384ul}) {
            if (text.size() / piece > 200000) continue;
            EXPECT_EQ(ReceiveError(text, piece), whole) << "pieces of " << piece;
        }
    }
}

// A text that ends too soon gives the reason a whole text's parse gives.
TEST(XmlInput, TextsCutShortGiveTheReasonOfAWholeText)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "Document is empty\r\nLine: 1\r\n"},
        {"   ", "Start tag expected, '<' not found\r\nLine: 1\r\n   "},
        {"Service Unavailable", "Start tag expected, '<' not found\r\nLine: 1\r\nService Unavailable"},
        {"<?xml version=\"1.0\"?>\n", "Start tag expected, '<' not found\r\nLine: 2\r\n"},
        {"<r>\n<a>text", "Premature end of data in tag a line 2\r\nLine: 2\r\n<a>text"},
        {"<p:r xmlns:p=\"urn:p\">", "Premature end of data in tag p:r line 1\r\nLine: 1\r\n<p:r xmlns:p=\"urn:p\">"},
        {"<r>\n<a>x</a>\n</a", "expected '>'\r\nLine: 3\r\n</a"},
        {"<r><a", "Couldn't find end of Start Tag a line 1\r\nLine: 1\r\n<r><a"},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        for (const std::size_t piece : {1ul, 4096ul}) EXPECT_EQ(ReceiveError(text, piece), expected);
    }
}

TEST(XmlInput, BoundsTheTree)
{
    const auto elements = [](std::size_t ACount) {
        std::string text = "<r>";
        for (std::size_t i = 0; i < ACount; ++i) text += "<a/>";
        return text + "</r>";
    };
    // The root and 9 elements are 10 nodes.
    EXPECT_NO_THROW(TXmlInput(elements(9), 10).Parse());
    EXPECT_EQ(ErrorOf([&] { TXmlInput(elements(10), 10).Parse(); }), "XML text refused: more than 10 nodes");
    EXPECT_EQ(ErrorOf([&] { TXmlInput("<r a=\"1\" b=\"2\" xmlns:p=\"urn:p\">t<!--c--><?p?></r>", 7).Parse(); }),
              "XML text refused: more than 7 nodes");
    EXPECT_NO_THROW(TXmlInput("<r a=\"1\" b=\"2\" xmlns:p=\"urn:p\">t<!--c--><?p?></r>", 9).Parse());

    // Eight megabytes of empty elements used to build a tree of 325 MB.
    EXPECT_EQ(ErrorOf([&] { TXmlInput(elements(2'000'000)).Parse(); }),
              "XML text refused: more than " + std::to_string(AnswerMaxNodes) + " nodes");
}

TEST(XmlInput, RefusesATextNodeLibxml2WouldNotTakeWhole)
{
    const auto label = [](std::size_t ABytes) { return "<r><Zpl>" + std::string(ABytes, 'A') + "</Zpl></r>"; };
    const TParsedXml largest = TXmlInput(label(MaxTextBytes)).Parse();
    EXPECT_EQ(largest.Root().Text().size(), MaxTextBytes);
    EXPECT_EQ(ErrorOf([&] { TXmlInput(label(MaxTextBytes + 1)).Parse(); }),
              "XML text refused: the text of element <Zpl> is larger than 10000000 bytes");
}

}  // namespace
}  // namespace qorita::xml

namespace qorita::xml {
namespace {

// Received bytes that are not in the encoding their declaration names stop the
// parser without marking the text ill-formed: the text is refused all the
// same, never handed on as a document with part of its tree, or none.
TEST(XmlInput, BytesNotInTheDeclaredEncodingAreAParseError)
{
    for (const std::string& text :
         {std::string("<?xml version=\"1.0\" encoding=\"utf-7\"?>\n<definitions xmlns:w\x13sdl=\"urn:x\"/>"),
          std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a><b l\xF1oca=\"x\"/></a>"),
          std::string("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<a>caff\xE8</a>"),
          std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a><b>\xC3</b></a>")}) {
        const std::string message = test::ErrorOf([&] { TXmlInput(text).Parse(); });
        EXPECT_FALSE(message.empty()) << text;
    }
}

}  // namespace
}  // namespace qorita::xml
