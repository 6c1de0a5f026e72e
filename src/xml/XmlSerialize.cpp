#include "xml/XmlSerialize.h"

#include "common/Exception.h"

#include <memory>

namespace qorita::xml::libxml {

namespace {

int AppendToString(void* AContext, const char* ABuffer, int ALength)
{
    static_cast<std::string*>(AContext)->append(ABuffer, static_cast<std::size_t>(ALength));
    return ALength;
}

// Whether an element above ANode declares any namespace: without one, nothing
// ANode uses can be declared outside it.
bool AncestorsDeclareNamespaces(const xmlNode* ANode)
{
    for (const xmlNode* parent = ANode->parent; parent != nullptr && parent->type == XML_ELEMENT_NODE;
         parent = parent->parent) {
        if (parent->nsDef != nullptr) return true;
    }
    return false;
}

}  // namespace

bool SerializeTo(const xmlNode* ANode, xmlOutputWriteCallback AWrite, void* AContext)
{
    // UTF-8 as held (naming the encoding keeps non-ASCII characters as they
    // are instead of character references), with no conversion pass.
    std::unique_ptr<xmlOutputBuffer, int (*)(xmlOutputBuffer*)> output(
        xmlOutputBufferCreateIO(AWrite, nullptr, AContext, nullptr), xmlOutputBufferClose);
    if (!output) throw std::bad_alloc();
    // libxml2 writes from a node it does not change.
    auto* node = const_cast<xmlNode*>(ANode);
    if (node->type == XML_DOCUMENT_NODE) {
        for (xmlNode* child = node->children; child != nullptr; child = child->next) {
            xmlNodeDumpOutput(output.get(), node->doc, child, 0, 0, "UTF-8");
            xmlOutputBufferWrite(output.get(), 1, "\n");
        }
    } else {
        xmlNodeDumpOutput(output.get(), node->doc, node, 0, 0, "UTF-8");
    }
    const int error = output->error;
    const int closed = xmlOutputBufferClose(output.release());
    return error == 0 && closed >= 0;
}

std::string Serialize(const xmlNode* ANode, std::size_t ASizeHint)
{
    // Written straight into the string, with no intermediate buffer to grow
    // and copy.
    std::string result;
    result.reserve(ASizeHint);
    SerializeAppending(ANode, result);
    return result;
}

void SerializeAppending(const xmlNode* ANode, std::string& AText)
{
    if (!SerializeTo(ANode, AppendToString, &AText)) throw Exception("The XML document could not be serialized");
}

bool UsesOuterNamespace(const xmlNode* AElement)
{
    const auto declaredInside = [AElement](const xmlNode* AScope, const xmlNs* ANs) {
        for (const xmlNode* scope = AScope; scope != nullptr; scope = scope->parent) {
            for (const xmlNs* ns = scope->nsDef; ns != nullptr; ns = ns->next) {
                if (ns == ANs) return true;
            }
            if (scope == AElement) break;
        }
        return false;
    };
    const xmlNode* node = AElement;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE) {
            if (node->ns != nullptr && !declaredInside(node, node->ns)) return true;
            for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next) {
                if (attr->ns != nullptr && !declaredInside(node, attr->ns)) return true;
            }
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        // Next in document order, without leaving the subtree.
        while (node != AElement && node->next == nullptr) node = node->parent;
        node = node == AElement ? nullptr : node->next;
    }
    return false;
}

std::string StandaloneMarkup(const xmlNode* ANode, std::size_t ASizeHint)
{
    if (ANode->type != XML_ELEMENT_NODE || !AncestorsDeclareNamespaces(ANode) || !UsesOuterNamespace(ANode)) {
        return Serialize(ANode, ASizeHint);
    }
    TDocPtr scratch(xmlNewDoc(ToXml("1.0")));
    xmlNode* copy = scratch ? xmlDocCopyNode(const_cast<xmlNode*>(ANode), scratch.get(), 1) : nullptr;
    if (copy == nullptr) throw std::bad_alloc();
    xmlDocSetRootElement(scratch.get(), copy);
    return Serialize(copy, ASizeHint);
}

}  // namespace qorita::xml::libxml
