#include "labelservice/AddParcel.Response.h"

#include <utility>

namespace qorita::addparcel_response {

// --- Parcel ---

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

std::string TXMLParcelType::SiglaMittente() { return ChildText("SiglaMittente"); }
std::int32_t TXMLParcelType::NumeroSpedizione() { return ChildInteger("NumeroSpedizione"); }
std::int32_t TXMLParcelType::TotaleColli() { return ChildInteger("TotaleColli"); }
std::string TXMLParcelType::TipoCollo() { return ChildText("TipoCollo"); }
std::string TXMLParcelType::SiglaSedeDestino() { return ChildText("SiglaSedeDestino"); }
std::string TXMLParcelType::DenominazioneMittente() { return ChildText("DenominazioneMittente"); }
std::string TXMLParcelType::DenominazioneDestinatario() { return ChildText("DenominazioneDestinatario"); }
std::string TXMLParcelType::IndirizzoDestinatario() { return ChildText("IndirizzoDestinatario"); }
std::string TXMLParcelType::CittaDestinatario() { return ChildText("CittaDestinatario"); }
std::string TXMLParcelType::ProvinciaDestinatario() { return ChildText("ProvinciaDestinatario"); }
std::string TXMLParcelType::DataSpedizione() { return ChildText("DataSpedizione"); }
std::string TXMLParcelType::DescrizioneSedeDestino() { return ChildText("DescrizioneSedeDestino"); }
std::string TXMLParcelType::PesoSpedizione() { return ChildText("PesoSpedizione"); }
std::string TXMLParcelType::ImportoAssegnato() { return ChildText("ImportoAssegnato"); }
std::string TXMLParcelType::ImportoCassegno() { return ChildText("ImportoCassegno"); }
std::string TXMLParcelType::TotaleImportodaIncassare() { return ChildText("TotaleImportodaIncassare"); }
std::string TXMLParcelType::TelefonoSede() { return ChildText("TelefonoSede"); }
std::string TXMLParcelType::NoteSpedizione() { return ChildText("NoteSpedizione"); }
std::string TXMLParcelType::DescrizioneTipoPorto() { return ChildText("DescrizioneTipoPorto"); }
std::string TXMLParcelType::SiglaCSM() { return ChildText("SiglaCSM"); }
std::string TXMLParcelType::DescrizioneCSM1() { return ChildText("DescrizioneCSM1"); }
std::string TXMLParcelType::DescrizioneCSM2() { return ChildText("DescrizioneCSM2"); }
std::string TXMLParcelType::Percorso1() { return ChildText("Percorso1"); }
std::string TXMLParcelType::Percorso2() { return ChildText("Percorso2"); }
std::string TXMLParcelType::Percorso3() { return ChildText("Percorso3"); }
std::int32_t TXMLParcelType::RapportoPesoVolume() { return ChildInteger("RapportoPesoVolume"); }
std::int32_t TXMLParcelType::ProgressivoCollo() { return ChildInteger("ProgressivoCollo"); }
std::string TXMLParcelType::CodiceZona() { return ChildText("CodiceZona"); }
std::string TXMLParcelType::RiferimentiCliente() { return ChildText("RiferimentiCliente"); }
std::string TXMLParcelType::Reverse() { return ChildText("Reverse"); }
std::string TXMLParcelType::Sprinter() { return ChildText("Sprinter"); }
std::int32_t TXMLParcelType::Bda() { return ChildInteger("Bda"); }
std::int32_t TXMLParcelType::ContatoreProgressivo() { return ChildInteger("ContatoreProgressivo"); }
std::string TXMLParcelType::PdfLabel() { return ChildText("PdfLabel"); }
std::string TXMLParcelType::Zpl() { return ChildText("Zpl"); }
std::string TXMLParcelType::InfoPrivacy() { return ChildText("InfoPrivacy"); }
std::string TXMLParcelType::SiglaCSMEmergenza() { return ChildText("SiglaCSMEmergenza"); }
std::string TXMLParcelType::Priorita() { return ChildText("Priorita"); }
std::string TXMLParcelType::Barcode2D() { return ChildText("Barcode2D"); }
std::string TXMLParcelType::ReverseA() { return ChildText("ReverseA"); }
std::string TXMLParcelType::ReverseB() { return ChildText("ReverseB"); }
std::string TXMLParcelType::ReverseC() { return ChildText("ReverseC"); }
std::string TXMLParcelType::ReverseD() { return ChildText("ReverseD"); }

void TXMLParcelType::SetSiglaMittente(std::string_view AValue) { SetChildText("SiglaMittente", AValue); }
void TXMLParcelType::SetNumeroSpedizione(std::int32_t AValue) { SetChildInteger("NumeroSpedizione", AValue); }
void TXMLParcelType::SetTotaleColli(std::int32_t AValue) { SetChildInteger("TotaleColli", AValue); }
void TXMLParcelType::SetTipoCollo(std::string_view AValue) { SetChildText("TipoCollo", AValue); }
void TXMLParcelType::SetSiglaSedeDestino(std::string_view AValue) { SetChildText("SiglaSedeDestino", AValue); }
void TXMLParcelType::SetDenominazioneMittente(std::string_view AValue)
{
    SetChildText("DenominazioneMittente", AValue);
}
void TXMLParcelType::SetDenominazioneDestinatario(std::string_view AValue)
{
    SetChildText("DenominazioneDestinatario", AValue);
}
void TXMLParcelType::SetIndirizzoDestinatario(std::string_view AValue)
{
    SetChildText("IndirizzoDestinatario", AValue);
}
void TXMLParcelType::SetCittaDestinatario(std::string_view AValue) { SetChildText("CittaDestinatario", AValue); }
void TXMLParcelType::SetProvinciaDestinatario(std::string_view AValue)
{
    SetChildText("ProvinciaDestinatario", AValue);
}
void TXMLParcelType::SetDataSpedizione(std::string_view AValue) { SetChildText("DataSpedizione", AValue); }
void TXMLParcelType::SetDescrizioneSedeDestino(std::string_view AValue)
{
    SetChildText("DescrizioneSedeDestino", AValue);
}
void TXMLParcelType::SetPesoSpedizione(std::string_view AValue) { SetChildText("PesoSpedizione", AValue); }
void TXMLParcelType::SetImportoAssegnato(std::string_view AValue) { SetChildText("ImportoAssegnato", AValue); }
void TXMLParcelType::SetImportoCassegno(std::string_view AValue) { SetChildText("ImportoCassegno", AValue); }
void TXMLParcelType::SetTotaleImportodaIncassare(std::string_view AValue)
{
    SetChildText("TotaleImportodaIncassare", AValue);
}
void TXMLParcelType::SetTelefonoSede(std::string_view AValue) { SetChildText("TelefonoSede", AValue); }
void TXMLParcelType::SetNoteSpedizione(std::string_view AValue) { SetChildText("NoteSpedizione", AValue); }
void TXMLParcelType::SetDescrizioneTipoPorto(std::string_view AValue) { SetChildText("DescrizioneTipoPorto", AValue); }
void TXMLParcelType::SetSiglaCSM(std::string_view AValue) { SetChildText("SiglaCSM", AValue); }
void TXMLParcelType::SetDescrizioneCSM1(std::string_view AValue) { SetChildText("DescrizioneCSM1", AValue); }
void TXMLParcelType::SetDescrizioneCSM2(std::string_view AValue) { SetChildText("DescrizioneCSM2", AValue); }
void TXMLParcelType::SetPercorso1(std::string_view AValue) { SetChildText("Percorso1", AValue); }
void TXMLParcelType::SetPercorso2(std::string_view AValue) { SetChildText("Percorso2", AValue); }
void TXMLParcelType::SetPercorso3(std::string_view AValue) { SetChildText("Percorso3", AValue); }
void TXMLParcelType::SetRapportoPesoVolume(std::int32_t AValue) { SetChildInteger("RapportoPesoVolume", AValue); }
void TXMLParcelType::SetProgressivoCollo(std::int32_t AValue) { SetChildInteger("ProgressivoCollo", AValue); }
void TXMLParcelType::SetCodiceZona(std::string_view AValue) { SetChildText("CodiceZona", AValue); }
void TXMLParcelType::SetRiferimentiCliente(std::string_view AValue) { SetChildText("RiferimentiCliente", AValue); }
void TXMLParcelType::SetReverse(std::string_view AValue) { SetChildText("Reverse", AValue); }
void TXMLParcelType::SetSprinter(std::string_view AValue) { SetChildText("Sprinter", AValue); }
void TXMLParcelType::SetBda(std::int32_t AValue) { SetChildInteger("Bda", AValue); }
void TXMLParcelType::SetContatoreProgressivo(std::int32_t AValue) { SetChildInteger("ContatoreProgressivo", AValue); }
void TXMLParcelType::SetPdfLabel(std::string_view AValue) { SetChildText("PdfLabel", AValue); }
void TXMLParcelType::SetZpl(std::string_view AValue) { SetChildText("Zpl", AValue); }
void TXMLParcelType::SetInfoPrivacy(std::string_view AValue) { SetChildText("InfoPrivacy", AValue); }
void TXMLParcelType::SetSiglaCSMEmergenza(std::string_view AValue) { SetChildText("SiglaCSMEmergenza", AValue); }
void TXMLParcelType::SetPriorita(std::string_view AValue) { SetChildText("Priorita", AValue); }
void TXMLParcelType::SetBarcode2D(std::string_view AValue) { SetChildText("Barcode2D", AValue); }
void TXMLParcelType::SetReverseA(std::string_view AValue) { SetChildText("ReverseA", AValue); }
void TXMLParcelType::SetReverseB(std::string_view AValue) { SetChildText("ReverseB", AValue); }
void TXMLParcelType::SetReverseC(std::string_view AValue) { SetChildText("ReverseC", AValue); }
void TXMLParcelType::SetReverseD(std::string_view AValue) { SetChildText("ReverseD", AValue); }

bool TXMLParcelType::HasError() const { return IndexOfChild("NumeroSpedizione") < 0; }

std::string TXMLParcelType::Etichetta()
{
    std::string label = PdfLabel();
    if (label.empty()) label = Zpl();
    return label;
}

std::string TXMLParcelType::TakeEtichetta()
{
    std::string label = PdfLabel();
    if (!label.empty()) {
        SetPdfLabel({});
        return label;
    }
    label = Zpl();
    if (!label.empty()) SetZpl({});
    return label;
}

// --- InfoLabel ---

TXMLInfoLabelType::TXMLInfoLabelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode)
    : TXMLNodeCollection(ADocument, ANode, "Parcel", &xml::MakeNode<TXMLParcelType>)
{
    RegisterChildNode("Parcel", &xml::MakeNode<TXMLParcelType>);
}

IXMLParcelType TXMLInfoLabelType::Parcel(int AIndex) { return xml::Supports<TXMLParcelType>(Item(AIndex)); }

IXMLParcelType TXMLInfoLabelType::Add() { return xml::Supports<TXMLParcelType>(TXMLNodeCollection::Add()); }

IXMLParcelType TXMLInfoLabelType::Insert(int AIndex)
{
    return xml::Supports<TXMLParcelType>(TXMLNodeCollection::Insert(AIndex));
}

IXMLInfoLabelType GetInfoLabel(const xml::IXMLDocument& ADocument)
{
    return xml::Supports<TXMLInfoLabelType>(ADocument->BindRoot("InfoLabel", &xml::MakeNode<TXMLInfoLabelType>, ""));
}

// --- Response ---

TAddParcelResponse::TAddParcelResponse(const std::string& AXml) : TRestMessage(TParseAlways{}, AXml) { ReadAnswer(); }

TAddParcelResponse::TAddParcelResponse(xml::IXMLDocument ADocument) : TRestMessage(std::move(ADocument))
{
    ReadAnswer();
}

void TAddParcelResponse::ReadAnswer()
{
    xml::IXMLNode root = XMLDocument()->DocumentElement();
    if (root->LocalName() == "DescrizioneErrore") {
        FDescrizioneErrore = root->Text();
        return;
    }
    FInfoLabel = GetInfoLabel(XMLDocument());
    const int count = FInfoLabel->Count();
    for (int i = 0; i < count; ++i) {
        IXMLParcelType parcel = FInfoLabel->Parcel(i);
        if (parcel->HasError()) FParcelErrors.push_back(parcel->NoteSpedizione());
    }
}

}  // namespace qorita::addparcel_response
