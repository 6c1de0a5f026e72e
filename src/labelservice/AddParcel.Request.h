#pragma once

// The AddParcel request: the courier account and one Parcel element per parcel to
// register. Writers cut texts (UTF-16 code units), cap integers and round decimals
// to what the courier accepts and never fail; readers return what the element
// holds. Property convention in all message units: the getter has the element's
// name (SedeQor()), the setter adds "Set" (SetSedeQor(v)).

#include "labelservice/MessageParts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::addparcel_request {

// The collection modes the courier knows, in the order Validate compares them.
inline constexpr std::string_view ModalitaIncassoCodes[] = {"CONT", "AC",  "AB",  "AP",   "ASS", "ABP",
                                                            "ASR",  "ARM", "ABC", "ASRP", "ARMP"};

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    std::int32_t CodiceContrattoQor();
    std::string RagioneSociale();
    std::string Indirizzo();
    std::string Localita();
    std::string Zipcode();
    std::string Provincia();
    std::int32_t Colli();
    double PesoReale();
    double ImportoContrassegno();
    std::string ModalitaIncasso();
    std::int32_t GeneraPdf();
    std::int32_t ContatoreProgressivo();
    std::string Email();
    std::string Cellulare1();
    std::string ServiziAccessori();

    void SetCodiceContrattoQor(std::int32_t AValue);   // capped at 9999
    void SetRagioneSociale(std::string_view AValue);   // first 35
    void SetIndirizzo(std::string_view AValue);        // first 35
    void SetLocalita(std::string_view AValue);         // first 30
    void SetZipcode(std::string_view AValue);          // first 5
    void SetProvincia(std::string_view AValue);        // first 2
    void SetColli(std::int32_t AValue);                // capped at 999
    void SetPesoReale(double AValue);                  // 1 decimal place
    void SetImportoContrassegno(double AValue);        // 2 decimal places
    void SetModalitaIncasso(std::string_view AValue);  // first 4
    void SetGeneraPdf(std::int32_t AValue);
    void SetContatoreProgressivo(std::int32_t AValue);  // capped at 999999999
    void SetEmail(std::string_view AValue);             // first 70
    void SetCellulare1(std::string_view AValue);        // first 20
    void SetServiziAccessori(std::string_view AValue);  // first 50

    // An empty mode or one of ModalitaIncassoCodes (exact, case-sensitive) passes;
    // any other fails with "Modalità incasso <mode> non riconosciuta".
    void Validate();
};

using TXMLParcelTypeList = labelservice::TXMLParcelList<TXMLParcelType>;
using TXMLInfoType = labelservice::TXMLRequestInfo<TXMLParcelType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;
using IXMLInfoType = std::shared_ptr<TXMLInfoType>;

// The declaration and an empty Info element.
class TAddParcelRequest : public labelservice::TInfoRequest<TXMLParcelType> {};

}  // namespace qorita::addparcel_request
