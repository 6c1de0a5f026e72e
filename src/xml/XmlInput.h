#pragma once

// XML text held where libxml2's parser reads it. The service's answer is
// received straight into the parser's own input buffer (libxml2 2.9 copies a
// text handed to it from memory, so a text kept elsewhere would be held twice)
// and parsed there. As the parser moves on, the pages of text it has left
// behind are given back to the system: with a thousand labels the answer and
// its tree are tens of megabytes each, and they are never both held whole.

#include "xml/ParsedXml.h"

#include <cstddef>
#include <memory>
#include <string_view>

struct _xmlParserInputBuffer;

namespace qorita::xml {

class TXmlInput {
public:
    TXmlInput();
    // A text at hand, copied in.
    explicit TXmlInput(std::string_view AText);
    ~TXmlInput();
    TXmlInput(const TXmlInput&) = delete;
    TXmlInput& operator=(const TXmlInput&) = delete;

    // Before the first Append: room for the whole text at once, so that a large
    // answer is not copied again each time the buffer doubles.
    void Reserve(std::size_t ABytes);
    // False when the data cannot be kept.
    bool Append(std::string_view AData);
    std::size_t Size() const;

    // Parses the text as bytes received (TXmlOrigin::Received): in the
    // encoding they name, with the hardened options of every parse; a failure
    // throws qorita::Exception with the parse-error message. The text is used
    // up whatever the outcome; a second call fails.
    TParsedXml Parse();

private:
    struct TBufferFree {
        void operator()(_xmlParserInputBuffer* ABuffer) const noexcept;
    };
    std::unique_ptr<_xmlParserInputBuffer, TBufferFree> FBuffer;
};

}  // namespace qorita::xml
