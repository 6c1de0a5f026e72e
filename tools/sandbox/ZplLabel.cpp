#include "Labels.h"

#include "Numbers.h"
#include "common/Numbers.h"

#include <algorithm>
#include <cstdio>

namespace qorita::sandbox {

namespace {

// '^' and '~' start commands in field data and control characters break the
// printer's parsing, so they never reach a ^FD.
std::string FieldData(std::string_view AText)
{
    std::string result(AText);
    for (char& c : result) {
        if (c == '^' || c == '~' || (static_cast<unsigned char>(c) < 0x20)) {
            c = ' ';
        }
    }
    return result;
}

void Text(std::string& AOut, int AX, int AY, int AHeight, std::string_view AText)
{
    AOut += "^FO" + FormatInteger(AX) + "," + FormatInteger(AY) + "^A0N," + FormatInteger(AHeight) + "," +
            FormatInteger(AHeight) + "^FD" + FieldData(AText) + "^FS\n";
}

}  // namespace

std::string LabelBarcode(const TLabelData& AData)
{
    char buffer[32];
    // Numbers are positive; the clamp only keeps the digit count fixed.
    std::snprintf(buffer, sizeof buffer, "%010d%04d", AData.NumeroSpedizione < 0 ? 0 : AData.NumeroSpedizione,
                  AData.ProgressivoCollo < 0 ? 0 : AData.ProgressivoCollo % 10000);
    return buffer;
}

std::string BuildZplLabel(const TLabelData& AData, std::size_t AMinimumSize)
{
    std::string out = "^XA\n^CI28\n^PW800\n^LL1200\n^LH0,0\n";
    Text(out, 30, 30, 36, "QORITA SANDBOX - corriere di prova");
    Text(out, 30, 80, 28, "Mittente: " + AData.Mittente);
    out += "^FO30,125^GB740,3,3^FS\n";
    Text(out, 30, 150, 30, "Destinatario");
    Text(out, 30, 195, 44, AData.RagioneSociale);
    Text(out, 30, 250, 36, AData.Indirizzo);
    Text(out, 30, 295, 36, AData.Zipcode + " " + AData.Localita + " (" + AData.Provincia + ")");
    out += "^FO30,350^GB740,3,3^FS\n";
    Text(out, 30, 380, 34, "Spedizione " + FormatInteger(AData.NumeroSpedizione) + " del " + AData.DataSpedizione);
    Text(out, 30, 430, 34,
         "Collo " + FormatInteger(AData.ProgressivoCollo) + "/" + FormatInteger(AData.TotaleColli) + "  Peso " +
             FormatFixed(AData.PesoReale, 1) + " kg");
    if (AData.ImportoContrassegno > 0.0) {
        Text(out, 30, 480, 34, "Contrassegno " + FormatFixed(AData.ImportoContrassegno, 2) + " EUR");
    }
    Text(out, 30, 530, 28, "Contatore " + FormatInteger(AData.ContatoreProgressivo));
    out += "^FO60,600^BY3^BCN,200,Y,N,N^FD" + LabelBarcode(AData) + "^FS\n";
    constexpr std::string_view End = "^XZ\n";
    constexpr std::size_t LineLength = 80;
    if (AMinimumSize > out.size() + End.size()) out.reserve(AMinimumSize + End.size() + 4);
    while (out.size() + End.size() < AMinimumSize) {
        // "^FX", at least one filler character and the line break.
        const std::size_t line = std::clamp<std::size_t>(AMinimumSize - out.size() - End.size(), 5, LineLength);
        out += "^FX";
        out.append(line - 4, '.');
        out += '\n';
    }
    out += End;
    return out;
}

}  // namespace qorita::sandbox
