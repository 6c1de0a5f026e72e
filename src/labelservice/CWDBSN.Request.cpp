#include "labelservice/CWDBSN.Request.h"

namespace qorita::cwdbsn_request {

TXMLParcelType::TXMLParcelType(const xml::IXMLDocument& ADocument, _xmlNode* ANode) : TXMLNode(ADocument, ANode) {}

}  // namespace qorita::cwdbsn_request
