#pragma once

// The body of the courier's answer as the HTTP client receives it: each piece
// parsed as it arrives (xml::TXmlInput) and not kept, so the answer is held
// once, as its tree.

#include "labelservice/http/HttpClient.h"
#include "xml/XmlInput.h"

#include <cstddef>
#include <string_view>

namespace qorita::labelservice {

class TAnswerBody final : public http::THttpBodySink {
public:
    TAnswerBody() = default;
    // A body at hand, copied in.
    explicit TAnswerBody(std::string_view AText) : FInput(AText) {}

    // Nothing to make room for: the body is not kept.
    void Reserve(std::size_t) override {}
    bool Append(std::string_view AData) override { return FInput.Append(AData); }
    std::size_t Size() const override { return FInput.Size(); }

    // The body parsed; used up whatever the outcome.
    xml::TParsedXml Parse() { return FInput.Parse(); }

private:
    xml::TXmlInput FInput;
};

}  // namespace qorita::labelservice
