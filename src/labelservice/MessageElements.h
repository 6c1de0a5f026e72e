#pragma once

// The child elements of a message's views, each declared once with the rule the
// courier sets for its value. A view lists its elements as members, in the order
// of the document: that list is both its description and its accessors.
//
//   parcel->RagioneSociale()        reads the element (added empty when missing)
//   parcel->RagioneSociale.Set(v)   writes it, cut, capped or rounded by its rule
//
// Writers never fail: they bring a value to what the courier accepts.

#include "common/Utf8.h"
#include "labelservice/CourierRules.h"
#include "xml/XMLNode.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace qorita::labelservice {

// The element named AName among the children of AOwner, the view it belongs to.
class TMessageElement {
public:
    TMessageElement(xml::TXMLNode& AOwner, const char* AName) : FOwner(AOwner), FName(AName) {}
    // An element belongs to its view: copying one would leave it pointing at
    // the view it was copied from.
    TMessageElement(const TMessageElement&) = delete;
    TMessageElement& operator=(const TMessageElement&) = delete;

    const char* Name() const { return FName; }

protected:
    xml::TXMLNode& FOwner;
    const char* FName;
};

// Text, cut to AMaxUtf16 UTF-16 code units on writing (0: written whole).
class TTextElement : public TMessageElement {
public:
    TTextElement(xml::TXMLNode& AOwner, const char* AName, std::size_t AMaxUtf16 = 0)
        : TMessageElement(AOwner, AName), FMaxUtf16(AMaxUtf16)
    {
    }

    std::string operator()() const { return FOwner.ChildText(FName); }
    void Set(std::string_view AValue) const
    {
        if (FMaxUtf16 == 0) {
            FOwner.SetChildText(FName, AValue);
        } else {
            FOwner.SetChildText(FName, CutUtf16(AValue, FMaxUtf16));
        }
    }

private:
    std::size_t FMaxUtf16;
};

// A 32-bit integer, capped at ALimit on writing (no cap by default).
class TIntegerElement : public TMessageElement {
public:
    TIntegerElement(xml::TXMLNode& AOwner, const char* AName,
                    std::int32_t ALimit = std::numeric_limits<std::int32_t>::max())
        : TMessageElement(AOwner, AName), FLimit(ALimit)
    {
    }

    std::int32_t operator()() const { return FOwner.ChildInteger(FName); }
    void Set(std::int32_t AValue) const { FOwner.SetChildInteger(FName, CapInteger(AValue, FLimit)); }

private:
    std::int32_t FLimit;
};

// A decimal number, rounded half to even to APlaces decimal places on writing.
class TDecimalElement : public TMessageElement {
public:
    TDecimalElement(xml::TXMLNode& AOwner, const char* AName, int APlaces)
        : TMessageElement(AOwner, AName), FPlaces(APlaces)
    {
    }

    double operator()() const { return FOwner.ChildDecimal(FName); }
    void Set(double AValue) const { FOwner.SetChildDecimal(FName, RoundHalfEven(AValue, FPlaces)); }

private:
    int FPlaces;
};

}  // namespace qorita::labelservice
