// The examination of the courier's HTTP answer to an AddParcel call (status 200,
// text/xml, the fuzzed body) and the AddParcel document taken from its payload:
// the path every answer takes in the program. The payload is also read from
// its markup, and both must agree: the same document, or the same refusal.
// An Exception is the expected refusal; anything else that escapes, a
// disagreement, and any crash or sanitizer report, is a finding.

#include "common/Exception.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/Rest.Answer.h"
#include "labelservice/http/HttpClient.h"
#include "xml/XMLDocument.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

constexpr const char* Url = "https://courier.example/service.asmx";

// The document as written out, or the refusal.
template <typename TRead>
std::string Outcome(TRead ARead)
{
    try {
        return "document: " + ARead()->XML();
    } catch (const qorita::Exception& error) {
        return "error: " + error.Message();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize)
{
    qorita::http::THttpResponse answer;
    answer.StatusCode = 200;
    answer.ReasonPhrase = "OK";
    answer.ContentType = "text/xml; charset=utf-8";
    answer.Body.assign(reinterpret_cast<const char*>(AData), ASize);

    qorita::xml::IXMLDocument taken;
    const std::string outcome = Outcome([&] {
        taken = qorita::labelservice::ExtractPayloadDocument(answer, Url, "AddParcel", "AddParcelResult");
        return taken;
    });
    const std::string fromMarkup = Outcome([&] {
        return qorita::xml::TXMLDocument::Parse(
            qorita::labelservice::ExtractPayload(answer, Url, "AddParcel", "AddParcelResult"));
    });
    if (outcome != fromMarkup) __builtin_trap();
    if (!taken) return 0;
    try {
        qorita::addparcel_response::TAddParcelResponse response(taken);
        std::size_t seen = response.DescrizioneErrore().size() + response.ParcelErrors().size();
        if (const auto& info = response.InfoLabel()) seen += static_cast<std::size_t>(info->Count());
        if (seen == static_cast<std::size_t>(-1)) __builtin_trap();
    } catch (const qorita::Exception&) {
    }
    return 0;
}
