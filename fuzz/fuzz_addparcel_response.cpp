// The courier's answer to AddParcel, read the way the program reads it: an
// Exception is the expected way to refuse a bad answer; anything else that
// escapes, and any crash or sanitizer report, is a finding.

#include "common/Exception.h"
#include "labelservice/AddParcel.Response.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// One read; its Exception is a refusal of this value only, so the reads after it
// still run.
template <typename TRead>
std::size_t Read(TRead ARead)
{
    try {
        return ARead();
    } catch (const qorita::Exception&) {
        return 0;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    const std::string text(reinterpret_cast<const char*>(AData), ASize);
    try {
        qorita::addparcel_response::TAddParcelResponse response(text);
        std::size_t seen = response.DescrizioneErrore().size();
        for (const std::string& error : response.ParcelErrors()) seen += error.size();
        if (const auto& info = response.InfoLabel()) {
            const int count = info->Count();
            for (int i = 0; i < count; ++i) {
                const auto parcel = info->Parcel(i);
                // As the program stores a parcel: the shipment number only for a
                // registered one, then its counter and its label.
                if (!parcel->HasError())
                    seen += Read([&] { return static_cast<std::size_t>(parcel->NumeroSpedizione() & 1); });
                seen += Read([&] { return static_cast<std::size_t>(parcel->ContatoreProgressivo() & 1); });
                seen += Read([&] { return parcel->Etichetta().size(); });
            }
        }
        // Keeps the reads from being optimised away.
        if (seen == static_cast<std::size_t>(-1)) __builtin_trap();
    } catch (const qorita::Exception&) {
    }
    return 0;
}
