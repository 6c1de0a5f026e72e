#pragma once

// Received XML (the courier's answer, a service description) parsed as it
// arrives: each piece goes straight into libxml2's push parser and is not kept,
// so a large answer is held once, as its tree. The tree is bounded: a text that
// would build more nodes than the limit, or a text node larger than libxml2
// takes without XML_PARSE_HUGE (which stays off), is refused with a message of
// its own instead of exhausting the memory.

#include "xml/ParsedXml.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace qorita::xml {

// Nodes (elements, attributes, namespace declarations, texts, comments) a
// courier's answer may build. A thousand parcels with every element the
// courier knows need about a hundred thousand.
inline constexpr std::size_t AnswerMaxNodes = 500000;
// A service description is a few hundred elements.
inline constexpr std::size_t DescriptionMaxNodes = 50000;
// The largest text node libxml2 builds without XML_PARSE_HUGE.
inline constexpr std::size_t MaxTextBytes = 10000000;

class TXmlInput {
public:
    explicit TXmlInput(std::size_t AMaxNodes = AnswerMaxNodes);
    // A text at hand, parsed from memory in pieces as if it arrived.
    explicit TXmlInput(std::string_view AText, std::size_t AMaxNodes = AnswerMaxNodes);
    ~TXmlInput();
    TXmlInput(const TXmlInput&) = delete;
    TXmlInput& operator=(const TXmlInput&) = delete;

    // Parses the next piece. After the text proved malformed or too large the
    // rest is only counted: the HTTP status and the content type are judged
    // before the XML, so the answer is still received whole. False only when
    // the input was parsed already.
    bool Append(std::string_view AData);
    // The bytes received.
    std::size_t Size() const;

    // Ends the text: the tree, or qorita::Exception with the parse-error
    // message (received bytes quote their line as TXmlOrigin::Received says)
    // or with the bound that was hit. The input is used up whatever the
    // outcome; a second call fails.
    TParsedXml Parse();

private:
    class TPushParse;
    std::unique_ptr<TPushParse> FParse;
    std::size_t FSize = 0;
};

}  // namespace qorita::xml
