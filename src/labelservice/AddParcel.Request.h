#pragma once

// The AddParcel request: the courier account and one Parcel element per parcel to
// register. Writers cut texts (UTF-16 code units), cap integers and round decimals
// to what the courier accepts and never fail; readers return what the element
// holds (MessageElements.h: SedeQor() reads, SedeQor.Set(v) writes).

#include "labelservice/InfoRequest.h"
#include "labelservice/MessageElements.h"

#include <cstdint>
#include <string>

namespace qorita::addparcel_request {

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    labelservice::TIntegerElement CodiceContrattoQor{*this, "CodiceContrattoQor", 9999};
    labelservice::TTextElement RagioneSociale{*this, "RagioneSociale", 35};
    labelservice::TTextElement Indirizzo{*this, "Indirizzo", 35};
    labelservice::TTextElement Localita{*this, "Localita", 30};
    labelservice::TTextElement Zipcode{*this, "Zipcode", 5};
    labelservice::TTextElement Provincia{*this, "Provincia", 2};
    labelservice::TIntegerElement Colli{*this, "Colli", 999};
    labelservice::TDecimalElement PesoReale{*this, "PesoReale", 1};
    labelservice::TDecimalElement ImportoContrassegno{*this, "ImportoContrassegno", 2};
    labelservice::TTextElement ModalitaIncasso{*this, "ModalitaIncasso", 4};
    labelservice::TIntegerElement GeneraPdf{*this, "GeneraPdf"};
    labelservice::TIntegerElement ContatoreProgressivo{*this, "ContatoreProgressivo", 999999999};
    labelservice::TTextElement Email{*this, "Email", 70};
    labelservice::TTextElement Cellulare1{*this, "Cellulare1", 20};
    labelservice::TTextElement ServiziAccessori{*this, "ServiziAccessori", 50};
};

using TXMLParcelTypeList = labelservice::TXMLParcelList<TXMLParcelType>;
using TXMLInfoType = labelservice::TXMLRequestInfo<TXMLParcelType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;
using IXMLInfoType = std::shared_ptr<TXMLInfoType>;

// The declaration and an empty Info element.
class TAddParcelRequest : public labelservice::TInfoRequest<TXMLParcelType> {};

}  // namespace qorita::addparcel_request
