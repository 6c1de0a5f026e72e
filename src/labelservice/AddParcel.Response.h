#pragma once

// The courier's answer to AddParcel: either a DescrizioneErrore root (the whole
// request refused, the text is the reason) or an InfoLabel root listing one Parcel
// per parcel sent. A registered parcel carries NumeroSpedizione, its counter and
// its label; a refused one has no NumeroSpedizione and gives its reason in
// NoteSpedizione, gathered into ParcelErrors when the answer is read.
// Getters have the element's name, setters add "Set"; values are written as given.

#include "labelservice/RestMessage.h"
#include "xml/XMLNodeCollection.h"

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

    std::string SiglaMittente();
    std::int32_t NumeroSpedizione();
    std::int32_t TotaleColli();
    std::string TipoCollo();
    std::string SiglaSedeDestino();
    std::string DenominazioneMittente();
    std::string DenominazioneDestinatario();
    std::string IndirizzoDestinatario();
    std::string CittaDestinatario();
    std::string ProvinciaDestinatario();
    std::string DataSpedizione();
    std::string DescrizioneSedeDestino();
    std::string PesoSpedizione();
    std::string ImportoAssegnato();
    std::string ImportoCassegno();
    std::string TotaleImportodaIncassare();
    std::string TelefonoSede();
    std::string NoteSpedizione();
    std::string DescrizioneTipoPorto();
    std::string SiglaCSM();
    std::string DescrizioneCSM1();
    std::string DescrizioneCSM2();
    std::string Percorso1();
    std::string Percorso2();
    std::string Percorso3();
    std::int32_t RapportoPesoVolume();
    std::int32_t ProgressivoCollo();
    std::string CodiceZona();
    std::string RiferimentiCliente();
    std::string Reverse();
    std::string Sprinter();
    std::int32_t Bda();
    std::int32_t ContatoreProgressivo();
    std::string PdfLabel();
    std::string Zpl();
    std::string InfoPrivacy();
    std::string SiglaCSMEmergenza();
    std::string Priorita();
    std::string Barcode2D();
    std::string ReverseA();
    std::string ReverseB();
    std::string ReverseC();
    std::string ReverseD();

    void SetSiglaMittente(std::string_view AValue);
    void SetNumeroSpedizione(std::int32_t AValue);
    void SetTotaleColli(std::int32_t AValue);
    void SetTipoCollo(std::string_view AValue);
    void SetSiglaSedeDestino(std::string_view AValue);
    void SetDenominazioneMittente(std::string_view AValue);
    void SetDenominazioneDestinatario(std::string_view AValue);
    void SetIndirizzoDestinatario(std::string_view AValue);
    void SetCittaDestinatario(std::string_view AValue);
    void SetProvinciaDestinatario(std::string_view AValue);
    void SetDataSpedizione(std::string_view AValue);
    void SetDescrizioneSedeDestino(std::string_view AValue);
    void SetPesoSpedizione(std::string_view AValue);
    void SetImportoAssegnato(std::string_view AValue);
    void SetImportoCassegno(std::string_view AValue);
    void SetTotaleImportodaIncassare(std::string_view AValue);
    void SetTelefonoSede(std::string_view AValue);
    void SetNoteSpedizione(std::string_view AValue);
    void SetDescrizioneTipoPorto(std::string_view AValue);
    void SetSiglaCSM(std::string_view AValue);
    void SetDescrizioneCSM1(std::string_view AValue);
    void SetDescrizioneCSM2(std::string_view AValue);
    void SetPercorso1(std::string_view AValue);
    void SetPercorso2(std::string_view AValue);
    void SetPercorso3(std::string_view AValue);
    void SetRapportoPesoVolume(std::int32_t AValue);
    void SetProgressivoCollo(std::int32_t AValue);
    void SetCodiceZona(std::string_view AValue);
    void SetRiferimentiCliente(std::string_view AValue);
    void SetReverse(std::string_view AValue);
    void SetSprinter(std::string_view AValue);
    void SetBda(std::int32_t AValue);
    void SetContatoreProgressivo(std::int32_t AValue);
    void SetPdfLabel(std::string_view AValue);
    void SetZpl(std::string_view AValue);
    void SetInfoPrivacy(std::string_view AValue);
    void SetSiglaCSMEmergenza(std::string_view AValue);
    void SetPriorita(std::string_view AValue);
    void SetBarcode2D(std::string_view AValue);
    void SetReverseA(std::string_view AValue);
    void SetReverseB(std::string_view AValue);
    void SetReverseC(std::string_view AValue);
    void SetReverseD(std::string_view AValue);

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
class TXMLInfoLabelType : public xml::TXMLNodeCollection {
public:
    TXMLInfoLabelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    IXMLParcelType Parcel(int AIndex);
    IXMLParcelType Add();
    IXMLParcelType Insert(int AIndex);
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
