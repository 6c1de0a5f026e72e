#pragma once

// The CloseWorkDayByShipmentNumber request: the courier account and one Parcel
// holding the shipment number to confirm. Writers cut and cap like the AddParcel
// request and never fail. Getters have the element's name, setters add "Set".

#include "xml/RestMessage.h"
#include "xml/XMLNodeCollection.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qorita::cwdbsn_request {

class TXMLInfoType;
class TXMLParcelType;
class TXMLParcelTypeList;
using IXMLInfoType = std::shared_ptr<TXMLInfoType>;
using IXMLParcelType = std::shared_ptr<TXMLParcelType>;
using IXMLParcelTypeList = std::shared_ptr<TXMLParcelTypeList>;

class TXMLParcelType : public xml::TXMLNode {
public:
    TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode);

    std::int32_t NumeroDiSpedizioneQORDaConfermare();
    void SetNumeroDiSpedizioneQORDaConfermare(std::int32_t AValue);  // capped at 999999999
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

class TCWDBSNRequest : public xml::TRestMessage {
public:
    // The declaration and an empty Info element.
    TCWDBSNRequest();

    const IXMLInfoType& Info() const { return FInfo; }

private:
    IXMLInfoType FInfo;
};

}  // namespace qorita::cwdbsn_request
