#pragma once

// The courier's answer to AddParcel: either a DescrizioneErrore root (the whole
// request refused, the text is the reason) or an InfoLabel root listing one Parcel
// per parcel sent. A registered parcel carries NumeroSpedizione, its counter and
// its label; a refused one has no NumeroSpedizione and gives its reason in
// NoteSpedizione, gathered into ParcelErrors when the answer is read.
// Values are written as given.

#include "labelservice/InfoRequest.h"
#include "labelservice/MessageElements.h"
#include "labelservice/RestMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::addparcel_response {

class TXMLInfoLabelType;
class TXMLParcelType;
using IXMLInfoLabelType = std::shared_ptr<TXMLInfoLabelType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    labelservice::TTextElement SiglaMittente{*this, "SiglaMittente"};
    labelservice::TIntegerElement NumeroSpedizione{*this, "NumeroSpedizione"};
    labelservice::TIntegerElement TotaleColli{*this, "TotaleColli"};
    labelservice::TTextElement TipoCollo{*this, "TipoCollo"};
    labelservice::TTextElement SiglaSedeDestino{*this, "SiglaSedeDestino"};
    labelservice::TTextElement DenominazioneMittente{*this, "DenominazioneMittente"};
    labelservice::TTextElement DenominazioneDestinatario{*this, "DenominazioneDestinatario"};
    labelservice::TTextElement IndirizzoDestinatario{*this, "IndirizzoDestinatario"};
    labelservice::TTextElement CittaDestinatario{*this, "CittaDestinatario"};
    labelservice::TTextElement ProvinciaDestinatario{*this, "ProvinciaDestinatario"};
    labelservice::TTextElement DataSpedizione{*this, "DataSpedizione"};
    labelservice::TTextElement DescrizioneSedeDestino{*this, "DescrizioneSedeDestino"};
    labelservice::TTextElement PesoSpedizione{*this, "PesoSpedizione"};
    labelservice::TTextElement ImportoAssegnato{*this, "ImportoAssegnato"};
    labelservice::TTextElement ImportoCassegno{*this, "ImportoCassegno"};
    labelservice::TTextElement TotaleImportodaIncassare{*this, "TotaleImportodaIncassare"};
    labelservice::TTextElement TelefonoSede{*this, "TelefonoSede"};
    labelservice::TTextElement NoteSpedizione{*this, "NoteSpedizione"};
    labelservice::TTextElement DescrizioneTipoPorto{*this, "DescrizioneTipoPorto"};
    labelservice::TTextElement SiglaCSM{*this, "SiglaCSM"};
    labelservice::TTextElement DescrizioneCSM1{*this, "DescrizioneCSM1"};
    labelservice::TTextElement DescrizioneCSM2{*this, "DescrizioneCSM2"};
    labelservice::TTextElement Percorso1{*this, "Percorso1"};
    labelservice::TTextElement Percorso2{*this, "Percorso2"};
    labelservice::TTextElement Percorso3{*this, "Percorso3"};
    labelservice::TIntegerElement RapportoPesoVolume{*this, "RapportoPesoVolume"};
    labelservice::TIntegerElement ProgressivoCollo{*this, "ProgressivoCollo"};
    labelservice::TTextElement CodiceZona{*this, "CodiceZona"};
    labelservice::TTextElement RiferimentiCliente{*this, "RiferimentiCliente"};
    labelservice::TTextElement Reverse{*this, "Reverse"};
    labelservice::TTextElement Sprinter{*this, "Sprinter"};
    labelservice::TIntegerElement Bda{*this, "Bda"};
    labelservice::TIntegerElement ContatoreProgressivo{*this, "ContatoreProgressivo"};
    labelservice::TTextElement PdfLabel{*this, "PdfLabel"};
    labelservice::TTextElement Zpl{*this, "Zpl"};
    labelservice::TTextElement InfoPrivacy{*this, "InfoPrivacy"};
    labelservice::TTextElement SiglaCSMEmergenza{*this, "SiglaCSMEmergenza"};
    labelservice::TTextElement Priorita{*this, "Priorita"};
    labelservice::TTextElement Barcode2D{*this, "Barcode2D"};
    labelservice::TTextElement ReverseA{*this, "ReverseA"};
    labelservice::TTextElement ReverseB{*this, "ReverseB"};
    labelservice::TTextElement ReverseC{*this, "ReverseC"};
    labelservice::TTextElement ReverseD{*this, "ReverseD"};

    // True when the parcel has no NumeroSpedizione child; asking creates nothing.
    bool HasError() const;
    // The PdfLabel text, or the Zpl text when PdfLabel is empty (both are reached
    // by name, so a missing one is added empty).
    std::string Etichetta();
    // Etichetta, moved out of the answer: the element it came from is left
    // empty, so that a label is held once, not by the answer and its taker.
    std::string TakeEtichetta();
};

// The InfoLabel root, itself the list of its Parcel children.
class TXMLInfoLabelType : public labelservice::TXMLParcelList<TXMLParcelType> {
public:
    TXMLInfoLabelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);
};

// The document's root bound as InfoLabel; "Interface not supported" when the root
// has another name.
IXMLInfoLabelType GetInfoLabel(const xml::IXMLDocument& ADocument);

class TAddParcelResponse : public labelservice::TRestMessage {
public:
    // Parses the answer (an empty or malformed text throws the parse message) and
    // reads it: the reason of a DescrizioneErrore root, or the InfoLabel root and
    // the NoteSpedizione of every parcel without NumeroSpedizione.
    explicit TAddParcelResponse(const std::string& AXml);
    // The same, for the answer read already as a document.
    explicit TAddParcelResponse(xml::IXMLDocument ADocument);

    const std::string& DescrizioneErrore() const { return FDescrizioneErrore; }
    const std::vector<std::string>& ParcelErrors() const { return FParcelErrors; }
    // Null when the root is DescrizioneErrore.
    const IXMLInfoLabelType& InfoLabel() const { return FInfoLabel; }

private:
    void ReadAnswer();

    IXMLInfoLabelType FInfoLabel;
    std::string FDescrizioneErrore;
    std::vector<std::string> FParcelErrors;
};

}  // namespace qorita::addparcel_response
