#include "labelservice/AddParcel.Request.h"

namespace qorita::addparcel_request {

// --- Parcel ---

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

}  // namespace qorita::addparcel_request
