// Labels must be documents that printers and viewers accept, not just text that
// looks right.

#include "Labels.h"
#include "SandboxTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace qorita::sandbox::test {
namespace {

TLabelData Sample()
{
    TLabelData data;
    data.NumeroSpedizione = 100000042;
    data.ProgressivoCollo = 2;
    data.TotaleColli = 3;
    data.ContatoreProgressivo = 987;
    data.Mittente = "Cliente 123456";
    data.RagioneSociale = "Caff\xC3\xA8 (Bar) \\ ^Sport~";
    data.Indirizzo = "Via Verdi 3";
    data.Zipcode = "10121";
    data.Localita = "Torino";
    data.Provincia = "TO";
    data.DataSpedizione = "10/12/2026";
    data.PesoReale = 2.25;
    data.ImportoContrassegno = 0.0;
    return data;
}

// "nnnnnnnnnn 00000 n \n": an object in use, at a ten-digit byte offset.
bool IsInUseEntry(const std::string& AEntry)
{
    return AEntry.size() == 20 &&
           std::all_of(AEntry.begin(), AEntry.begin() + 10, [](unsigned char c) { return std::isdigit(c) != 0; }) &&
           AEntry.substr(10) == " 00000 n \n";
}

TEST(LabelTest, BarcodeIsShipmentNumberAndParcelInAnEvenDigitCount)
{
    EXPECT_EQ(LabelBarcode(Sample()), "01000000420002");
}

TEST(LabelTest, PdfHasAConsistentCrossReferenceTable)
{
    const std::string pdf = BuildPdfLabel(Sample());
    ASSERT_EQ(pdf.rfind("%PDF-1.4\n", 0), 0u);
    ASSERT_GE(pdf.size(), 6u);
    EXPECT_EQ(pdf.substr(pdf.size() - 6), "%%EOF\n");

    // startxref names the byte where the table begins.
    const std::size_t startxrefAt = pdf.rfind("startxref\n");
    ASSERT_NE(startxrefAt, std::string::npos);
    const std::size_t xref = std::stoul(pdf.substr(startxrefAt + 10));
    ASSERT_EQ(pdf.compare(xref, 5, "xref\n"), 0);

    const std::string count = "xref\n0 8\n";
    ASSERT_EQ(pdf.compare(xref, count.size(), count), 0) << "seven objects and the free entry";
    const std::size_t entries = xref + count.size();
    EXPECT_EQ(pdf.substr(entries, 20), "0000000000 65535 f \n");
    for (int object = 1; object < 8; ++object) {
        SCOPED_TRACE(object);
        const std::string entry = pdf.substr(entries + 20 * static_cast<std::size_t>(object), 20);
        ASSERT_TRUE(IsInUseEntry(entry)) << entry;
        const std::size_t offset = std::stoul(entry.substr(0, 10));
        const std::string start = std::to_string(object) + " 0 obj\n";
        EXPECT_EQ(pdf.compare(offset, start.size(), start), 0);
    }
    EXPECT_NE(pdf.find("trailer\n<< /Size 8 /Root 1 0 R"), std::string::npos);

    // The content stream's declared length is its real length.
    const std::size_t lengthAt = pdf.find("/Length ");
    ASSERT_NE(lengthAt, std::string::npos);
    const std::size_t length = std::stoul(pdf.substr(lengthAt + 8));
    const std::size_t begin = pdf.find(" >>\nstream\n", lengthAt);
    ASSERT_NE(begin, std::string::npos);
    EXPECT_EQ(pdf.compare(begin + 11 + length, 9, "endstream"), 0);
}

TEST(LabelTest, PdfShowsTheShipmentWithEscapedWinAnsiText)
{
    const std::string pdf = BuildPdfLabel(Sample());
    EXPECT_NE(pdf.find("(Spedizione 100000042 del 10/12/2026) Tj"), std::string::npos);
    EXPECT_NE(pdf.find("(Collo 2/3  Peso 2.2 kg) Tj"), std::string::npos);
    // è is WinAnsi 0xE8; parentheses and backslash are escaped.
    EXPECT_NE(pdf.find("(Caff\\350 \\(Bar\\) \\\\ ^Sport~) Tj"), std::string::npos);
    // 14 digits in Interleaved 2 of 5: 2 start bars, 5 bars per digit pair, 2 stop bars.
    std::size_t bars = 0;
    for (std::size_t at = pdf.find(" re f\n"); at != std::string::npos; at = pdf.find(" re f\n", at + 1)) {
        ++bars;
    }
    EXPECT_EQ(bars, 2u + 39u);  // two rules plus the barcode
}

TEST(LabelTest, ZplKeepsCommandCharactersOutOfFieldData)
{
    const std::string zpl = BuildZplLabel(Sample());
    EXPECT_EQ(zpl.rfind("^XA\n", 0), 0u);
    EXPECT_EQ(zpl.substr(zpl.size() - 4), "^XZ\n");
    EXPECT_NE(zpl.find("^FDCaff\xC3\xA8 (Bar) \\  Sport ^FS"), std::string::npos) << zpl;
    EXPECT_NE(zpl.find("^BCN,200,Y,N,N^FD01000000420002^FS"), std::string::npos);
    EXPECT_NE(zpl.find("^FDSpedizione 100000042 del 10/12/2026^FS"), std::string::npos);
    EXPECT_EQ(zpl.find("Contrassegno"), std::string::npos) << "no cash on delivery on this parcel";
    // Every field opened is closed.
    std::size_t opened = 0;
    std::size_t closed = 0;
    for (std::size_t at = zpl.find("^FD"); at != std::string::npos; at = zpl.find("^FD", at + 1)) {
        ++opened;
    }
    for (std::size_t at = zpl.find("^FS"); at != std::string::npos; at = zpl.find("^FS", at + 1)) {
        ++closed;
    }
    EXPECT_EQ(opened + 2, closed);  // the two ^GB rules close without data
}

TEST(LabelTest, ZplPaddedWithCommentLinesToTheSizeAsked)
{
    const std::string plain = BuildZplLabel(Sample());
    const std::string body = plain.substr(0, plain.size() - 4);  // without "^XZ\n"
    EXPECT_EQ(BuildZplLabel(Sample(), 0), plain);
    EXPECT_EQ(BuildZplLabel(Sample(), plain.size()), plain) << "already large enough";
    for (const std::size_t size : {plain.size() + 1, plain.size() + 5, plain.size() + 81, std::size_t{65536}}) {
        SCOPED_TRACE(size);
        const std::string padded = BuildZplLabel(Sample(), size);
        EXPECT_GE(padded.size(), size);
        EXPECT_LE(padded.size(), size + 4);
        // The printed part is unchanged; what follows it is comment lines only.
        ASSERT_EQ(padded.compare(0, body.size(), body), 0);
        EXPECT_EQ(padded.substr(padded.size() - 4), "^XZ\n");
        const std::string comments = padded.substr(body.size(), padded.size() - body.size() - 4);
        std::size_t at = 0;
        while (at < comments.size()) {
            const std::size_t end = comments.find('\n', at);
            ASSERT_NE(end, std::string::npos);
            const std::string line = comments.substr(at, end - at);
            EXPECT_EQ(line.rfind("^FX", 0), 0u) << line;
            EXPECT_GT(line.size(), 3u);
            EXPECT_LE(line.size(), 80u);
            EXPECT_EQ(line.find_first_of("^~", 1), std::string::npos) << "a comment ends at the next command";
            at = end + 1;
        }
    }
}

TEST(LabelTest, Base64RoundTripsEveryPaddingLength)
{
    for (const std::string& bytes :
         {std::string(), std::string("a"), std::string("ab"), std::string("abc"), std::string("\x00\xff\x10 PDF", 7)}) {
        SCOPED_TRACE(bytes.size());
        const std::string encoded = Base64Encode(bytes);
        EXPECT_EQ(encoded.size() % 4, 0u);
        EXPECT_EQ(encoded.find('\n'), std::string::npos);
        EXPECT_EQ(Base64Decode(encoded), bytes);
    }
    EXPECT_EQ(Base64Encode("ab"), "YWI=");
}

}  // namespace
}  // namespace qorita::sandbox::test
