#include "labelservice/AddParcel.Response.h"

#include <utility>

namespace qorita::addparcel_response {

// --- Parcel ---

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

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
        PdfLabel.Set({});
        return label;
    }
    label = Zpl();
    if (!label.empty()) Zpl.Set({});
    return label;
}

// --- InfoLabel ---

TXMLInfoLabelType::TXMLInfoLabelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode)
    : TXMLParcelList(ADocument, ANode)
{
    RegisterChildNode("Parcel", &xml::MakeNode<TXMLParcelType>);
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
