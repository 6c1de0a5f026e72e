#pragma once

// The Info request and what several message documents build it from: the list
// of the repeated Parcel elements, the courier account that heads every
// request's Info element (with what the courier accepts in it), and a request
// made of that Info element.

#include "labelservice/MessageElements.h"
#include "labelservice/RestMessage.h"
#include "xml/XMLNodeCollection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qorita::labelservice {

// The Parcel children of one element, each bound as TParcel.
template <typename TParcel>
class TXMLParcelList : public xml::TXMLNodeCollection {
public:
    TXMLParcelList(const xml::IXMLDocument& ADocument, _xmlNode* AHost)
        : TXMLNodeCollection(ADocument, AHost, "Parcel", &xml::MakeNode<TParcel>)
    {
    }

    std::shared_ptr<TParcel> Add() { return xml::Supports<TParcel>(TXMLNodeCollection::Add()); }
    std::shared_ptr<TParcel> Insert(int AIndex) { return xml::Supports<TParcel>(TXMLNodeCollection::Insert(AIndex)); }
    std::shared_ptr<TParcel> Parcel(int AIndex) { return xml::Supports<TParcel>(Item(AIndex)); }
};

// An element whose Parcel children are bound as TParcel, and their list.
template <typename TParcel>
class TXMLParcelHost : public xml::TXMLNode {
public:
    using IParcelList = std::shared_ptr<TXMLParcelList<TParcel>>;

    TXMLParcelHost(const xml::IXMLDocument& ADocument, _xmlNode* ANode)
        : TXMLNode(ADocument, ANode), FParcel(std::make_shared<TXMLParcelList<TParcel>>(ADocument, ANode))
    {
        RegisterChildNode("Parcel", &xml::MakeNode<TParcel>);
    }

    const IParcelList& Parcel() const { return FParcel; }

private:
    IParcelList FParcel;
};

// A request's Info element: the courier account, then one Parcel element per
// item. Writers cut and cap to what the courier accepts and never fail.
template <typename TParcel>
class TXMLRequestInfo : public TXMLParcelHost<TParcel> {
public:
    using TXMLParcelHost<TParcel>::TXMLParcelHost;

    TTextElement SedeQor{*this, "SedeQor", 2};
    TIntegerElement CodiceClienteQor{*this, "CodiceClienteQor", 999999};
    TTextElement PasswordClienteQor{*this, "PasswordClienteQor", 10};
};

// A request whose root is Info: the declaration and an empty Info element.
template <typename TParcel>
class TInfoRequest : public TRestMessage {
public:
    using TInfo = TXMLRequestInfo<TParcel>;

    TInfoRequest()
        : TRestMessage(std::string()),
          FInfo(xml::Supports<TInfo>(XMLDocument()->BindRoot("Info", &xml::MakeNode<TInfo>, "")))
    {
    }

    const std::shared_ptr<TInfo>& Info() const { return FInfo; }

private:
    std::shared_ptr<TInfo> FInfo;
};

}  // namespace qorita::labelservice
