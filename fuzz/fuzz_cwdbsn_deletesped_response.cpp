// The courier's answers to CloseWorkDayByShipmentNumber and to DeleteSped, both
// read from the same text as the program reads them. An Exception is the
// expected refusal; anything else that escapes, and any crash or sanitizer
// report, is a finding.

#include "common/Exception.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Response.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    const std::string text(reinterpret_cast<const char*>(AData), ASize);
    std::size_t seen = 0;
    try {
        qorita::cwdbsn_response::TCWDBSNResponse response(text);
        const auto& result = response.CloseWorkDayByShipmentNumberResult();
        seen += result->HasError() ? 1 : 0;
        seen += result->DescrizioneErrore().size() + result->xmlns().size();
        for (const std::string& error : response.ParcelErrors()) seen += error.size();
        const auto& parcels = result->Parcel();
        const int count = parcels->Count();
        for (int i = 0; i < count; ++i) {
            // A number that is not one refuses this parcel only: the next are read too.
            try {
                seen += static_cast<std::size_t>(parcels->Parcel(i)->NumeroDiSpedizioneQORDaConfermare() & 1);
            } catch (const qorita::Exception&) {
            }
        }
    } catch (const qorita::Exception&) {
    }
    try {
        qorita::deletesped_response::TDeleteSpedResponse response(text);
        seen += response.DescrizioneErrore().size();
    } catch (const qorita::Exception&) {
    }
    // Keeps the reads from being optimised away.
    if (seen == static_cast<std::size_t>(-1)) __builtin_trap();
    return 0;
}
