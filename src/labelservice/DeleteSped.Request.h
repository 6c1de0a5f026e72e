#pragma once

// The DeleteSped request: the courier account and the shipment number to delete.
// The service takes the four values as separate parameters read back from this
// document, which is kept as the archived copy; values are written whole, with no
// cut or cap.

#include "labelservice/MessageElements.h"
#include "labelservice/RestMessage.h"
#include "xml/XMLNode.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::deletesped_request {

class TXMLDeleteSpedType;
using IXMLDeleteSpedType = std::shared_ptr<TXMLDeleteSpedType>;

class TXMLDeleteSpedType : public xml::TXMLNode {
public:
    TXMLDeleteSpedType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    labelservice::TTextElement SedeQor{*this, "SedeQor"};
    labelservice::TIntegerElement CodiceClienteQor{*this, "CodiceClienteQor"};
    labelservice::TTextElement PasswordClienteQor{*this, "PasswordClienteQor"};
    labelservice::TIntegerElement NumSpedizione{*this, "NumSpedizione"};
};

// The document's root bound as DeleteSped (appended when the document has none).
IXMLDeleteSpedType GetDeleteSped(const xml::IXMLDocument& ADocument);

class TDeleteSpedRequest : public labelservice::TRestMessage {
public:
    // The declaration and an empty DeleteSped element.
    TDeleteSpedRequest();

    const IXMLDeleteSpedType& Info() const { return FInfo; }

private:
    IXMLDeleteSpedType FInfo;
};

}  // namespace qorita::deletesped_request
