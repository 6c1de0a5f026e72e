// The examination of the courier's HTTP answer to an AddParcel call (status 200,
// text/xml, the fuzzed body) and, when it yields a payload, the AddParcel
// document read from that payload: the path every answer takes in the program.
// An Exception is the expected refusal; anything else that escapes, and any
// crash or sanitizer report, is a finding.

#include "common/Exception.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/Rest.Answer.h"
#include "labelservice/http/HttpClient.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    qorita::http::THttpResponse answer;
    answer.StatusCode = 200;
    answer.ReasonPhrase = "OK";
    answer.ContentType = "text/xml; charset=utf-8";
    answer.Body.assign(reinterpret_cast<const char*>(AData), ASize);
    std::string payload;
    try {
        payload = qorita::labelservice::ExtractPayload(answer, "https://courier.example/service.asmx", "AddParcel",
                                                       "AddParcelResult");
    } catch (const qorita::Exception&) {
        return 0;
    }
    try {
        qorita::addparcel_response::TAddParcelResponse response(payload);
        std::size_t seen = response.DescrizioneErrore().size() + response.ParcelErrors().size();
        if (const auto& info = response.InfoLabel())
            seen += static_cast<std::size_t>(info->Count());
        if (seen == static_cast<std::size_t>(-1))
            __builtin_trap();
    } catch (const qorita::Exception&) {
    }
    return 0;
}
