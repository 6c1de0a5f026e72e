#include "labelservice/Rest.Xml.h"

#include "common/Exception.h"

#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlsave.h>

#include <algorithm>
#include <climits>
#include <mutex>

namespace qorita::labelservice::soapxml {

namespace {

struct TParserCtxtFree {
    void operator()(xmlParserCtxt* ACtxt) const noexcept { xmlFreeParserCtxt(ACtxt); }
};

std::string_view ToView(const xmlChar* AText)
{
    return AText == nullptr ? std::string_view() : std::string_view(reinterpret_cast<const char*>(AText));
}

// The first ACount characters (not bytes) of line ALine (from 1) of the text.
std::string SourceLine(std::string_view AText, int ALine, std::size_t ACount)
{
    std::size_t start = 0;
    for (int line = 1; line < ALine && start != std::string_view::npos; ++line) {
        start = AText.find('\n', start);
        if (start != std::string_view::npos)
            ++start;
    }
    if (start == std::string_view::npos || start > AText.size())
        return {};
    std::string_view rest = AText.substr(start);
    rest = rest.substr(0, std::min(rest.find('\n'), rest.size()));
    if (!rest.empty() && rest.back() == '\r')
        rest.remove_suffix(1);
    std::size_t end = 0;
    for (std::size_t chars = 0; end < rest.size() && chars < ACount; ++chars) {
        ++end;
        while (end < rest.size() && (static_cast<unsigned char>(rest[end]) & 0xC0) == 0x80)
            ++end;  // continuation bytes of a UTF-8 sequence
    }
    return std::string(rest.substr(0, end));
}

bool IsBlankText(const xmlNode* ANode)
{
    if (ANode->type != XML_TEXT_NODE)
        return false;
    for (std::string_view text = ToView(ANode->content); char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    return true;
}

struct TFirstError {
    bool Seen = false;
    std::string Message;
    int Line = 0;
};

void RecordFirstError(void* AContext, xmlError* AError)
{
    auto* first = static_cast<TFirstError*>(static_cast<xmlParserCtxt*>(AContext)->_private);
    if (first == nullptr || first->Seen || AError == nullptr || AError->level < XML_ERR_ERROR)
        return;
    first->Seen = true;
    first->Message = AError->message != nullptr ? AError->message : "Unknown parse error";
    first->Line = AError->line;
}

// Whether ANode's own namespace, an attribute's or a descendant's is declared
// outside the subtree of ANode.
bool UsesOuterNamespace(const xmlNode* ARoot)
{
    const auto declaredInside = [ARoot](const xmlNode* AElement, const xmlNs* ANs) {
        for (const xmlNode* scope = AElement; scope != nullptr; scope = scope->parent) {
            for (const xmlNs* ns = scope->nsDef; ns != nullptr; ns = ns->next)
                if (ns == ANs)
                    return true;
            if (scope == ARoot)
                break;
        }
        return false;
    };
    const xmlNode* node = ARoot;
    while (node != nullptr) {
        if (node->type == XML_ELEMENT_NODE) {
            if (node->ns != nullptr && !declaredInside(node, node->ns))
                return true;
            for (const xmlAttr* attr = node->properties; attr != nullptr; attr = attr->next)
                if (attr->ns != nullptr && !declaredInside(node, attr->ns))
                    return true;
            if (node->children != nullptr) {
                node = node->children;
                continue;
            }
        }
        // Next in document order, without leaving the subtree.
        while (node != ARoot && node->next == nullptr)
            node = node->parent;
        node = node == ARoot ? nullptr : node->next;
    }
    return false;
}

int AppendToString(void* AContext, const char* AData, int ALength)
{
    static_cast<std::string*>(AContext)->append(AData, static_cast<std::size_t>(ALength));
    return ALength;
}

}  // namespace

TDocPtr ParseXml(std::string_view AText)
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
    if (AText.size() > static_cast<std::size_t>(INT_MAX))
        throw Exception("Document too large to parse");
    std::unique_ptr<xmlParserCtxt, TParserCtxtFree> ctxt(xmlNewParserCtxt());
    if (!ctxt || ctxt->sax == nullptr)
        throw Exception("Out of memory creating an XML parser");
    // libxml2 keeps scanning after the first fatal error and its "last error"
    // then names a later, less telling one; this context's own handler keeps
    // the first. The handler receives the context, _private carries our record.
    TFirstError first;
    ctxt->_private = &first;
    ctxt->sax->serror = &RecordFirstError;
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS;
    TDocPtr doc(xmlCtxtReadMemory(ctxt.get(), AText.data(), static_cast<int>(AText.size()), nullptr, nullptr, options));
    if (doc && ctxt->wellFormed)
        return doc;
    std::string reason = first.Message;
    int line = first.Line;
    if (!first.Seen) {
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        reason = error != nullptr && error->message != nullptr ? error->message : "Unknown parse error";
        line = error != nullptr ? error->line : 0;
    }
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' '))
        reason.pop_back();
    throw Exception(Format("%s%s%s: %d%s%s", reason.c_str(), "\r\n", "Line", line, "\r\n",
                           SourceLine(AText, line, 40).c_str()));
}

std::string_view LocalName(const xmlNode* ANode)
{
    return ToView(ANode->name);
}

std::string_view NamespaceUri(const xmlNode* ANode)
{
    return ANode->ns == nullptr ? std::string_view() : ToView(ANode->ns->href);
}

std::optional<std::string> Attribute(const xmlNode* AElement, const char* AName)
{
    xmlChar* value = xmlGetNoNsProp(AElement, reinterpret_cast<const xmlChar*>(AName));
    if (value == nullptr)
        return std::nullopt;
    std::string result(ToView(value));
    xmlFree(value);
    return result;
}

std::vector<xmlNode*> ElementChildren(const xmlNode* AElement)
{
    std::vector<xmlNode*> result;
    for (xmlNode* child = AElement->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE)
            result.push_back(child);
    return result;
}

xmlNode* FindChild(const xmlNode* AElement, std::string_view ANamespace, std::string_view ALocalName, const char* AName)
{
    for (xmlNode* child : ElementChildren(AElement)) {
        if (LocalName(child) != ALocalName || NamespaceUri(child) != ANamespace)
            continue;
        if (AName == nullptr || Attribute(child, "name") == std::optional<std::string>(AName))
            return child;
    }
    return nullptr;
}

std::string NodeText(const xmlNode* ANode)
{
    xmlChar* content = xmlNodeGetContent(ANode);
    std::string result(ToView(content));
    xmlFree(content);
    return result;
}

std::string NodeXml(const xmlNode* ANode, std::size_t ASizeHint)
{
    // An element that uses a namespace declared further up in the answer is
    // copied into a document of its own: libxml2 then declares the namespace
    // on the copy. Otherwise the node is written as it is, which spares
    // copying a payload of several megabytes of labels.
    TDocPtr holder;
    const xmlNode* node = ANode;
    if (ANode->type == XML_ELEMENT_NODE && UsesOuterNamespace(ANode)) {
        holder.reset(xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")));
        xmlNode* copy = holder ? xmlDocCopyNode(const_cast<xmlNode*>(ANode), holder.get(), 1) : nullptr;
        if (copy == nullptr)
            throw Exception("Out of memory copying an XML node");
        xmlDocSetRootElement(holder.get(), copy);
        node = copy;
    }
    std::string markup;
    markup.reserve(ASizeHint);
    xmlOutputBuffer* output = xmlOutputBufferCreateIO(&AppendToString, nullptr, &markup, nullptr);
    if (output == nullptr)
        throw Exception("Out of memory serializing an XML node");
    xmlNodeDumpOutput(output, node->doc, const_cast<xmlNode*>(node), 0, 0, nullptr);
    if (xmlOutputBufferClose(output) < 0)
        throw Exception("Out of memory serializing an XML node");
    return markup;
}

std::vector<xmlNode*> ContentChildren(const xmlNode* AElement)
{
    std::vector<xmlNode*> result;
    for (xmlNode* child = AElement->children; child != nullptr; child = child->next)
        if (!IsBlankText(child))
            result.push_back(child);
    return result;
}

}  // namespace qorita::labelservice::soapxml
