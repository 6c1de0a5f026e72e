#pragma once

// The body of the courier's answer as the HTTP client receives it: straight
// into the parser's input (xml::TXmlInput), where it is parsed without a copy.

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

    void Reserve(std::size_t ABytes) override { FInput.Reserve(ABytes); }
    bool Append(std::string_view AData) override { return FInput.Append(AData); }
    std::size_t Size() const override { return FInput.Size(); }

    // The body parsed; used up whatever the outcome.
    xml::TParsedXml Parse() { return FInput.Parse(); }

private:
    xml::TXmlInput FInput;
};

}  // namespace qorita::labelservice
