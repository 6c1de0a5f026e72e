// An exchange archived the way a run archives it (the document saved under a
// UTF-8 file name the program composed from TABX's folder) lands in a folder
// named with accents, and its bytes are the ones Linux writes: LF line ends,
// UTF-8 text, no CR added by the C library's text mode.
#include "TempFolder.h"
#include "common/DurableFile.h"
#include "common/Paths.h"
#include "xml/XMLDocument.h"

#include <gtest/gtest.h>

namespace qorita {
namespace {

TEST(ArchiveFile, LandsInAFolderWithAccentsByteForByte)
{
    const support::TTempFolder temp{"qorita-archivio"};
    const std::string folder = Utf8FromPath(temp.Path()) + "/Spedizioni Societ\xC3\xA0";
    CreateFolderDurably(PathFromUtf8(folder));
    const std::string name = folder + "/00001234_20241216143005_AddParcelRequest.xml";

    const auto document = xml::TXMLDocument::Parse(
        "<AddParcel><Destinatario>Citt\xC3\xA0 di Forl\xC3\xAC</Destinatario>\n<Peso>1.5</Peso></AddParcel>");
    document->SaveToFile(name);

    std::string saved;
    ASSERT_TRUE(ReadWholeFile(PathFromUtf8(name), saved)) << name;
    // Blank text between elements is not kept, on any system; the file ends
    // with a bare LF.
    EXPECT_EQ(saved,
              "<AddParcel><Destinatario>Citt\xC3\xA0 di Forl\xC3\xAC</Destinatario><Peso>1.5</Peso></AddParcel>\n");
    // The name Windows holds is the one written, not its ANSI reading.
    EXPECT_TRUE(std::filesystem::exists(temp.Path() / std::filesystem::path(L"Spedizioni Societ\u00E0") /
                                        "00001234_20241216143005_AddParcelRequest.xml"));
}

}  // namespace
}  // namespace qorita
