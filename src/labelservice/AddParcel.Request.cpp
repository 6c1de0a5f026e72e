#include "labelservice/AddParcel.Request.h"

#include "common/Exception.h"

#include <algorithm>

namespace qorita::addparcel_request {

// --- Parcel ---

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

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
