#pragma once

// The DeleteSped answer: a DescrizioneErrore root whose own text is the outcome.
// Nothing is read while the answer is parsed; a root holding child elements fails
// only when its text is asked for.

#include "labelservice/RestMessage.h"
#include "xml/XMLNode.h"

#include <string>
#include <string_view>

namespace qorita::deletesped_response {

class TXMLDeleteSpedResultType;
using IXMLDeleteSpedResultType = std::shared_ptr<TXMLDeleteSpedResultType>;

class TXMLDeleteSpedResultType : public xml::TXMLNode {
public:
    TXMLDeleteSpedResultType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    // The root's own text, empty when it has no content.
    std::string Value();
};

// The document's root bound as DescrizioneErrore, in any namespace; "Interface not
// supported" when the root has another name.
IXMLDeleteSpedResultType GetDeleteSpedResult(const xml::IXMLDocument& ADocument);

class TDeleteSpedResponse : public labelservice::TRestMessage {
public:
    // Parses the answer (an empty or malformed text throws the parse message) and
    // binds its root.
    explicit TDeleteSpedResponse(const std::string& AXml);

    const IXMLDeleteSpedResultType& DeleteSpedResult() const { return FDeleteSpedResult; }
    // The root's text.
    std::string DescrizioneErrore() const { return FDeleteSpedResult->Value(); }

private:
    IXMLDeleteSpedResultType FDeleteSpedResult;
};

}  // namespace qorita::deletesped_response
