#pragma once

// Trees written out as markup: UTF-8 as held, no declaration, no added
// whitespace; and the markup of one element that stands on its own, with the
// namespaces it uses declared. Included by .cpp files of src/xml only.

#include "xml/LibXml.h"

#include <cstddef>
#include <string>

namespace qorita::xml::libxml {

// Serializes ANode (a document without its declaration, each top-level node
// followed by a line feed; or any other node), handed piece by piece to
// AWrite; false when writing failed.
bool SerializeTo(const xmlNode* ANode, xmlOutputWriteCallback AWrite, void* AContext);

// The same into a string. ASizeHint: room to reserve, so that a large tree's
// markup grows once.
std::string Serialize(const xmlNode* ANode, std::size_t ASizeHint = 0);
// The same at the end of AText.
void SerializeAppending(const xmlNode* ANode, std::string& AText);

// Whether AElement, one of its attributes or one of its descendants uses a
// namespace that is not declared inside AElement's subtree.
bool UsesOuterNamespace(const xmlNode* AElement);

// The markup of ANode as Serialize writes it, standing on its own: an element
// that uses a namespace declared by its ancestors is written from a copy in a
// document of its own, on which libxml2 declares that namespace. Otherwise
// the node is written where it is, which spares copying a payload of several
// megabytes of labels.
std::string StandaloneMarkup(const xmlNode* ANode, std::size_t ASizeHint = 0);

}  // namespace qorita::xml::libxml
