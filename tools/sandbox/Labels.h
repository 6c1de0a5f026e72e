#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::sandbox {

// What a parcel label shows.
struct TLabelData {
    std::int32_t NumeroSpedizione = 0;
    std::int32_t ProgressivoCollo = 0;
    std::int32_t TotaleColli = 0;
    std::int32_t ContatoreProgressivo = 0;
    std::string Mittente;
    std::string RagioneSociale;
    std::string Indirizzo;
    std::string Zipcode;
    std::string Localita;
    std::string Provincia;
    std::string DataSpedizione;
    double PesoReale = 0.0;
    double ImportoContrassegno = 0.0;
};

// The parcel's barcode: the shipment number in 10 digits and the parcel's position
// in 4, an even count of digits as Interleaved 2 of 5 needs.
std::string LabelBarcode(const TLabelData& AData);

// A Zebra label (^XA ... ^XZ) for 203 dpi printers, 10 x 15 cm, UTF-8 text.
// With AMinimumSize the label is padded with ^FX comment lines, which a printer
// skips, to at least that many bytes (at most 4 more): real labels with logos
// and graphic fields are tens of kilobytes, ours only about one.
std::string BuildZplLabel(const TLabelData& AData, std::size_t AMinimumSize = 0);

// A one-page PDF (10 x 15 cm) with the same content and the barcode drawn as bars.
std::string BuildPdfLabel(const TLabelData& AData);

// Standard base64 without line breaks.
std::string Base64Encode(std::string_view ABytes);

}  // namespace qorita::sandbox
