#include "xml/XMLDocument.h"
#include "xml/XMLNode.h"

#include "ErrorOf.h"
#include "TempFolder.h"
#include "common/Exception.h"

#include <libxml/xmlerror.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

namespace qorita::xml {
namespace {

using test::ErrorOf;

std::string ParseError(const std::string& AText)
{
    return ErrorOf([&] { TXMLDocument::Parse(AText); });
}

// Whatever happens to a hostile text, what the program keeps must not hold ASecret.
void ExpectNothingOf(const std::string& ASecret, const std::string& AText)
{
    IXMLDocument document;
    try {
        document = TXMLDocument::Parse(AText);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message().find(ASecret), std::string::npos) << e.Message();
        return;
    }
    EXPECT_EQ(document->XML().find(ASecret), std::string::npos) << document->XML();
    try {
        EXPECT_EQ(document->DocumentElement()->Text().find(ASecret), std::string::npos);
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "Element \"" + document->DocumentElement()->NodeName() + "\" does not contain a single text node");
    }
}

class ExternalEntities : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(FSecretFile) << Secret;
        std::ofstream(FDtdFile) << "<!ENTITY leak \"" << Secret << "\">";
    }

    std::string Url(const std::filesystem::path& APath) const { return "file://" + APath.string(); }

    static constexpr const char* Secret = "TOP-SECRET-CONTENT";
    const support::TTempFolder FTemp{"qorita-xxe"};
    const std::filesystem::path FFolder = FTemp.Path();
    const std::filesystem::path FSecretFile = FFolder / "secret.txt";
    const std::filesystem::path FDtdFile = FFolder / "leak.dtd";
};

TEST_F(ExternalEntities, AreNeverRead)
{
    ExpectNothingOf(Secret, "<!DOCTYPE DescrizioneErrore [<!ENTITY x SYSTEM \"" + Url(FSecretFile) +
                                "\">]><DescrizioneErrore>&x;</DescrizioneErrore>");
    ExpectNothingOf(Secret, "<!DOCTYPE DescrizioneErrore [<!ENTITY % p SYSTEM \"" + Url(FDtdFile) +
                                "\"> %p;]><DescrizioneErrore>&leak;</DescrizioneErrore>");
    ExpectNothingOf(Secret, "<!DOCTYPE DescrizioneErrore SYSTEM \"" + Url(FDtdFile) +
                                "\"><DescrizioneErrore>&leak;</DescrizioneErrore>");
    ExpectNothingOf(Secret, "<!DOCTYPE DescrizioneErrore [<!ENTITY x SYSTEM \"" + FSecretFile.string() +
                                "\">]><DescrizioneErrore>a&x;b</DescrizioneErrore>");
}

TEST_F(ExternalEntities, DoNotReachTheSavedFile)
{
    const auto document =
        TXMLDocument::Parse("<!DOCTYPE InfoLabel [<!ENTITY x SYSTEM \"" + Url(FSecretFile) +
                            "\">]><InfoLabel><Parcel><NoteSpedizione>&x;</NoteSpedizione></Parcel></InfoLabel>");
    const auto path = FFolder / "saved.xml";
    document->SaveToFile(path.string());
    std::ifstream in(path);
    const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved.find(Secret), std::string::npos) << saved;
}

TEST(HostileInput, EntityExpansionBombsFailFast)
{
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    laughs += "<!ENTITY lol1 \"&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;\">";
    for (int level = 2; level <= 9; ++level) {
        laughs += "<!ENTITY lol" + std::to_string(level) + " \"";
        for (int i = 0; i < 10; ++i) laughs += "&lol" + std::to_string(level - 1) + ";";
        laughs += "\">";
    }
    laughs += "]><DescrizioneErrore>&lol9;</DescrizioneErrore>";
    const auto start = std::chrono::steady_clock::now();
    const std::string message = ParseError(laughs);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(message.substr(0, message.find("\r\n")), "Detected an entity reference loop");
    EXPECT_NE(message.find("\r\nLine: 1\r\n"), std::string::npos) << message;
    // A generous bound: the expansion is refused, not performed.
    EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(HostileInput, DeepNestingIsAParseError)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<a>";
    EXPECT_EQ(ParseError(deep),
              "Excessive depth in document: 256 use XML_PARSE_HUGE option\r\nLine: 1\r\n"
              "<a><a><a><a><a><a><a><a><a><a><a><a><a><");
}

TEST(HostileInput, BytesThatAreNotUtf8AreAParseError)
{
    EXPECT_EQ(ParseError("<a>\n<b>caff\xE8</b></a>"),
              "Input is not proper UTF-8, indicate encoding !\nBytes: 0xE8 0x3C 0x2F 0x62\r\nLine: 2\r\n"
              "<b>caff\xEF\xBF\xBD</b></a>");
    for (const std::string& text :
         {std::string("<a>\xC3</a>"), std::string("<a>\xF0\x9F\x98</a>"), std::string("<a>\xED\xA0\x80</a>"),
          std::string("<a>x\0y</a>", 10), std::string("<\0a\0/\0>\0", 8), std::string("\xFF\xFE<\0a\0/\0>\0", 10)}) {
        const std::string message = ParseError(text);
        EXPECT_NE(message.find("\r\nLine: "), std::string::npos) << message;
    }
}

TEST(HostileInput, EveryTruncationOfAnAnswerIsAParseError)
{
    const std::string answer =
        "<InfoLabel><Parcel a=\"1\"><NumeroSpedizione>5001</NumeroSpedizione>"
        "<NoteSpedizione><![CDATA[x]]></NoteSpedizione><!-- c --><?pi x?>"
        "<Zpl>^XA&amp;^XZ</Zpl></Parcel></InfoLabel>";
    for (std::size_t length = 0; length < answer.size(); ++length) {
        const std::string message = ParseError(answer.substr(0, length));
        EXPECT_NE(message.find("\r\nLine: 1\r\n"), std::string::npos) << length << ": " << message;
    }
}

TEST(HostileInput, NoErrorIsLeftBehindInLibxml2)
{
    ParseError("<a><b></a>");
    EXPECT_EQ(xmlGetLastError(), nullptr);
    TXMLDocument::Parse("<a/>");
    EXPECT_EQ(xmlGetLastError(), nullptr);
    EXPECT_EQ(ParseError("<x>"), "Premature end of data in tag x line 1\r\nLine: 1\r\n<x>");
}

}  // namespace
}  // namespace qorita::xml
