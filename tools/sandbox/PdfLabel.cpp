#include "Labels.h"

#include "Numbers.h"
#include "common/Numbers.h"

#include <array>
#include <cstdio>
#include <vector>

namespace qorita::sandbox {

namespace {

// The standard fonts read WinAnsi bytes; Latin-1 maps onto it directly above 0xA0,
// the euro sign has its own code and anything else becomes '?'.
std::string ToWinAnsi(std::string_view AUtf8)
{
    std::string out;
    for (std::size_t i = 0; i < AUtf8.size();) {
        const auto byte = static_cast<unsigned char>(AUtf8[i]);
        std::size_t length = 1;
        std::uint32_t code = byte;
        if (byte >= 0xF0) {
            length = 4;
            code = byte & 0x07u;
        } else if (byte >= 0xE0) {
            length = 3;
            code = byte & 0x0Fu;
        } else if (byte >= 0xC0) {
            length = 2;
            code = byte & 0x1Fu;
        } else if (byte >= 0x80) {
            code = '?';  // a stray continuation byte
        }
        if (length > 1) {
            if (i + length > AUtf8.size()) {
                out += '?';
                break;
            }
            for (std::size_t k = 1; k < length; ++k) {
                code = (code << 6) | (static_cast<unsigned char>(AUtf8[i + k]) & 0x3Fu);
            }
        }
        i += length;
        if (code < 0x20) {
            out += ' ';
        } else if (code < 0x7F || (code >= 0xA0 && code <= 0xFF)) {
            out += static_cast<char>(code);
        } else if (code == 0x20AC) {
            out += static_cast<char>(0x80);
        } else {
            out += '?';
        }
    }
    return out;
}

// A PDF literal string; bytes above ASCII go as octal escapes so that the content
// stream stays plain ASCII.
std::string PdfString(std::string_view AUtf8)
{
    std::string out = "(";
    for (const char c : ToWinAnsi(AUtf8)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '(' || c == ')' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte >= 0x80) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            out += octal;
        } else {
            out += c;
        }
    }
    out += ')';
    return out;
}

void Text(std::string& AOut, const char* AFont, int ASize, int AX, int AY, std::string_view AText)
{
    AOut += "BT /" + std::string(AFont) + " " + FormatInteger(ASize) + " Tf " + FormatInteger(AX) + " " +
            FormatInteger(AY) + " Td " + PdfString(AText) + " Tj ET\n";
}

// Interleaved 2 of 5: each digit is five elements, two of them wide; digit pairs
// are woven, the first digit in the bars and the second in the spaces.
constexpr std::array<const char*, 10> ItfPatterns{"nnwwn", "wnnnw", "nwnnw", "wwnnn", "nnwnw",
                                                  "wnwnn", "nwwnn", "nnnww", "wnnwn", "nwnwn"};

void Barcode(std::string& AOut, std::string_view ADigits, double AX, double AY, double AHeight)
{
    const double narrow = 1.4;
    const double wide = narrow * 2.5;
    double x = AX;
    auto element = [&](bool ABar, bool AWide) {
        const double width = AWide ? wide : narrow;
        if (ABar) {
            AOut += FormatFixed(x, 2) + " " + FormatFixed(AY, 2) + " " + FormatFixed(width, 2) + " " +
                    FormatFixed(AHeight, 2) + " re f\n";
        }
        x += width;
    };
    for (int i = 0; i < 4; ++i) {
        element(i % 2 == 0, false);  // start: narrow bar, space, bar, space
    }
    for (std::size_t i = 0; i + 1 < ADigits.size(); i += 2) {
        const char* bars = ItfPatterns[static_cast<std::size_t>(ADigits[i] - '0')];
        const char* spaces = ItfPatterns[static_cast<std::size_t>(ADigits[i + 1] - '0')];
        for (int k = 0; k < 5; ++k) {
            element(true, bars[k] == 'w');
            element(false, spaces[k] == 'w');
        }
    }
    element(true, true);  // stop: wide bar, narrow space, narrow bar
    element(false, false);
    element(true, false);
}

std::string ContentStream(const TLabelData& AData)
{
    std::string out;
    Text(out, "F2", 12, 14, 400, "QORITA SANDBOX - corriere di prova");
    Text(out, "F1", 9, 14, 386, "Mittente: " + AData.Mittente);
    out += "14 378 255 1 re f\n";
    Text(out, "F1", 9, 14, 362, "Destinatario");
    Text(out, "F2", 13, 14, 346, AData.RagioneSociale);
    Text(out, "F1", 11, 14, 331, AData.Indirizzo);
    Text(out, "F1", 11, 14, 316, AData.Zipcode + " " + AData.Localita + " (" + AData.Provincia + ")");
    out += "14 305 255 1 re f\n";
    Text(out, "F2", 11, 14, 288,
         "Spedizione " + FormatInteger(AData.NumeroSpedizione) + " del " + AData.DataSpedizione);
    Text(out, "F1", 11, 14, 273,
         "Collo " + FormatInteger(AData.ProgressivoCollo) + "/" + FormatInteger(AData.TotaleColli) + "  Peso " +
             FormatFixed(AData.PesoReale, 1) + " kg");
    if (AData.ImportoContrassegno > 0.0) {
        Text(out, "F1", 11, 14, 258, "Contrassegno " + FormatFixed(AData.ImportoContrassegno, 2) + " EUR");
    }
    Text(out, "F1", 9, 14, 243, "Contatore " + FormatInteger(AData.ContatoreProgressivo));
    const std::string digits = LabelBarcode(AData);
    Barcode(out, digits, 30, 140, 80);
    Text(out, "F1", 10, 90, 126, digits);
    return out;
}

}  // namespace

std::string BuildPdfLabel(const TLabelData& AData)
{
    const std::string content = ContentStream(AData);
    // 10 x 15 cm in points.
    const std::vector<std::string> objects{
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 283 425] /Resources << /Font << /F1 4 0 R /F2 5 0 R >> >> "
        "/Contents 6 0 R >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
        "<< /Length " + FormatInteger(static_cast<std::int64_t>(content.size())) + " >>\nstream\n" + content +
            "endstream",
        "<< /Producer (qorita-sandbox) /Title " +
            PdfString("Etichetta " + FormatInteger(AData.NumeroSpedizione) + "/" +
                      FormatInteger(AData.ProgressivoCollo)) +
            " >>",
    };
    // The binary comment line tells transfer tools that the file is not text.
    std::string pdf = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf += FormatInteger(static_cast<std::int64_t>(i + 1)) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = pdf.size();
    pdf += "xref\n0 " + FormatInteger(static_cast<std::int64_t>(objects.size() + 1)) + "\n";
    pdf += "0000000000 65535 f \n";  // every entry is exactly 20 bytes
    for (const std::size_t offset : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        pdf += entry;
    }
    pdf += "trailer\n<< /Size " + FormatInteger(static_cast<std::int64_t>(objects.size() + 1)) +
           " /Root 1 0 R /Info 7 0 R >>\nstartxref\n" + FormatInteger(static_cast<std::int64_t>(xref)) + "\n%%EOF\n";
    return pdf;
}

}  // namespace qorita::sandbox
