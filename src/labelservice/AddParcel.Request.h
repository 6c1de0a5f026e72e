#pragma once

// The AddParcel request: the courier account and one Parcel element per parcel to
// register. Writers cut texts (UTF-16 code units), cap integers and round decimals
// to what the courier accepts and never fail; readers return what the element
// holds. Property convention in all message units: the getter has the element's
// name (SedeQor()), the setter adds "Set" (SetSedeQor(v)).

#include "xml/RestMessage.h"
#include "xml/XMLNodeCollection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::addparcel_request {

class TXMLInfoType;
class TXMLParcelType;
class TXMLParcelTypeList;
using IXMLInfoType = std::shared_ptr<TXMLInfoType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;

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

class TXMLParcelTypeList : public xml::TXMLNodeCollection {
public:
    // Lists the Parcel children of the Info element AHost.
    TXMLParcelTypeList(const xml::IXMLDocument& ADocument, _xmlNode* AHost);

    IXMLParcelType Add();
    IXMLParcelType Insert(int AIndex);
    IXMLParcelType Parcel(int AIndex);
};

class TXMLInfoType : public xml::TXMLNode {
public:
    TXMLInfoType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    std::string SedeQor();
    std::int32_t CodiceClienteQor();
    std::string PasswordClienteQor();
    const IXMLParcelTypeList& Parcel() const { return FParcel; }

    void SetSedeQor(std::string_view AValue);             // first 2
    void SetCodiceClienteQor(std::int32_t AValue);        // capped at 999999
    void SetPasswordClienteQor(std::string_view AValue);  // first 10

private:
    IXMLParcelTypeList FParcel;
};

// The document's root bound as Info (appended when the document has none).
IXMLInfoType GetInfo(const xml::IXMLDocument& ADocument);

class TAddParcelRequest : public xml::TRestMessage {
public:
    // The declaration and an empty Info element.
    TAddParcelRequest();

    const IXMLInfoType& Info() const { return FInfo; }

private:
    IXMLInfoType FInfo;
};

}  // namespace qorita::addparcel_request
