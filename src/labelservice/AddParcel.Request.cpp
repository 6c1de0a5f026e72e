#include "labelservice/AddParcel.Request.h"

#include "common/Exception.h"
#include "common/Utf8.h"

#include <algorithm>

namespace qorita::addparcel_request {

using labelservice::CapInteger;
using labelservice::RoundHalfEven;

// --- Parcel ---

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

std::int32_t TXMLParcelType::CodiceContrattoQor() { return ChildInteger("CodiceContrattoQor"); }
std::string TXMLParcelType::RagioneSociale() { return ChildText("RagioneSociale"); }
std::string TXMLParcelType::Indirizzo() { return ChildText("Indirizzo"); }
std::string TXMLParcelType::Localita() { return ChildText("Localita"); }
std::string TXMLParcelType::Zipcode() { return ChildText("Zipcode"); }
std::string TXMLParcelType::Provincia() { return ChildText("Provincia"); }
std::int32_t TXMLParcelType::Colli() { return ChildInteger("Colli"); }
double TXMLParcelType::PesoReale() { return ChildDecimal("PesoReale"); }
double TXMLParcelType::ImportoContrassegno() { return ChildDecimal("ImportoContrassegno"); }
std::string TXMLParcelType::ModalitaIncasso() { return ChildText("ModalitaIncasso"); }
std::int32_t TXMLParcelType::GeneraPdf() { return ChildInteger("GeneraPdf"); }
std::int32_t TXMLParcelType::ContatoreProgressivo() { return ChildInteger("ContatoreProgressivo"); }
std::string TXMLParcelType::Email() { return ChildText("Email"); }
std::string TXMLParcelType::Cellulare1() { return ChildText("Cellulare1"); }
std::string TXMLParcelType::ServiziAccessori() { return ChildText("ServiziAccessori"); }

void TXMLParcelType::SetCodiceContrattoQor(std::int32_t AValue)
{
    SetChildInteger("CodiceContrattoQor", CapInteger(AValue, 9999));
}
void TXMLParcelType::SetRagioneSociale(std::string_view AValue)
{
    SetChildText("RagioneSociale", CutUtf16(AValue, 35));
}
void TXMLParcelType::SetIndirizzo(std::string_view AValue) { SetChildText("Indirizzo", CutUtf16(AValue, 35)); }
void TXMLParcelType::SetLocalita(std::string_view AValue) { SetChildText("Localita", CutUtf16(AValue, 30)); }
void TXMLParcelType::SetZipcode(std::string_view AValue) { SetChildText("Zipcode", CutUtf16(AValue, 5)); }
void TXMLParcelType::SetProvincia(std::string_view AValue) { SetChildText("Provincia", CutUtf16(AValue, 2)); }
void TXMLParcelType::SetColli(std::int32_t AValue) { SetChildInteger("Colli", CapInteger(AValue, 999)); }
void TXMLParcelType::SetPesoReale(double AValue) { SetChildDecimal("PesoReale", RoundHalfEven(AValue, 1)); }
void TXMLParcelType::SetImportoContrassegno(double AValue)
{
    SetChildDecimal("ImportoContrassegno", RoundHalfEven(AValue, 2));
}
void TXMLParcelType::SetModalitaIncasso(std::string_view AValue)
{
    SetChildText("ModalitaIncasso", CutUtf16(AValue, 4));
}
void TXMLParcelType::SetGeneraPdf(std::int32_t AValue) { SetChildInteger("GeneraPdf", AValue); }
void TXMLParcelType::SetContatoreProgressivo(std::int32_t AValue)
{
    SetChildInteger("ContatoreProgressivo", CapInteger(AValue, 999999999));
}
void TXMLParcelType::SetEmail(std::string_view AValue) { SetChildText("Email", CutUtf16(AValue, 70)); }
void TXMLParcelType::SetCellulare1(std::string_view AValue) { SetChildText("Cellulare1", CutUtf16(AValue, 20)); }
void TXMLParcelType::SetServiziAccessori(std::string_view AValue)
{
    SetChildText("ServiziAccessori", CutUtf16(AValue, 50));
}

void TXMLParcelType::Validate()
{
    const std::string mode = ModalitaIncasso();
    if (mode.empty()) return;
    if (std::find(std::begin(ModalitaIncassoCodes), std::end(ModalitaIncassoCodes), mode) !=
        std::end(ModalitaIncassoCodes)) {
        return;
    }
    throw Exception(Format("Modalità incasso %s non riconosciuta", mode.c_str()));
}

}  // namespace qorita::addparcel_request
