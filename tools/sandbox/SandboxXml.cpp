#include "SandboxXml.h"

#include "common/Exception.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <memory>

namespace qorita::sandbox {

namespace {

struct TParserCtxtDeleter {
    void operator()(xmlParserCtxtPtr ACtxt) const noexcept { xmlFreeParserCtxt(ACtxt); }
};
struct TDocDeleter {
    void operator()(xmlDocPtr ADoc) const noexcept { xmlFreeDoc(ADoc); }
};
using TParserCtxt = std::unique_ptr<xmlParserCtxt, TParserCtxtDeleter>;
using TDoc = std::unique_ptr<xmlDoc, TDocDeleter>;

std::string ToString(const xmlChar* AText)
{
    return AText == nullptr ? std::string() : std::string(reinterpret_cast<const char*>(AText));
}

void AppendText(const xmlNode* ANode, std::string& AOut)
{
    for (const xmlNode* child = ANode->children; child != nullptr; child = child->next) {
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            AOut += ToString(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            AppendText(child, AOut);
        }
    }
}

TXmlElement Copy(const xmlNode* ANode)
{
    TXmlElement element;
    element.LocalName = ToString(ANode->name);
    if (ANode->ns != nullptr) {
        element.Namespace = ToString(ANode->ns->href);
    }
    AppendText(ANode, element.Text);
    for (const xmlNode* child = ANode->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            element.Children.push_back(Copy(child));
        }
    }
    return element;
}

}  // namespace

const TXmlElement* TXmlElement::Child(std::string_view ALocalName) const
{
    for (const TXmlElement& child : Children) {
        if (child.LocalName == ALocalName) {
            return &child;
        }
    }
    return nullptr;
}

std::string TXmlElement::ChildText(std::string_view ALocalName) const
{
    const TXmlElement* child = Child(ALocalName);
    return child == nullptr ? std::string() : child->Text;
}

TXmlElement ParseXml(std::string_view AText)
{
    if (AText.size() > static_cast<std::size_t>(INT_MAX)) {
        throw Exception("XML document too large");
    }
    TParserCtxt ctxt(xmlNewParserCtxt());
    if (!ctxt) {
        throw Exception("Out of memory creating the XML parser");
    }
    TDoc doc(xmlCtxtReadMemory(ctxt.get(), AText.data(), static_cast<int>(AText.size()), nullptr, nullptr,
                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (!doc) {
        const xmlError* error = xmlCtxtGetLastError(ctxt.get());
        std::string reason = error != nullptr && error->message != nullptr ? error->message : "unknown parse error";
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) {
            reason.pop_back();
        }
        const int line = error != nullptr ? error->line : 0;
        throw Exception(Format("XML parse error at line %d: %s", line, reason.c_str()));
    }
    const xmlNode* root = xmlDocGetRootElement(doc.get());
    if (root == nullptr) {
        throw Exception("XML document without root element");
    }
    return Copy(root);
}

std::string XmlEscape(std::string_view AText)
{
    std::string result;
    result.reserve(AText.size());
    for (const char c : AText) {
        switch (c) {
        case '&': result += "&amp;"; break;
        case '<': result += "&lt;"; break;
        case '>': result += "&gt;"; break;
        case '"': result += "&quot;"; break;
        // A carriage return would be normalised away by the reader's parser.
        case '\r': result += "&#13;"; break;
        default: result += c; break;
        }
    }
    return result;
}

std::string XmlTextElement(std::string_view AName, std::string_view AText)
{
    std::string result;
    result.reserve(AName.size() * 2 + AText.size() + 5);
    result += '<';
    result += AName;
    result += '>';
    result += XmlEscape(AText);
    result += "</";
    result += AName;
    result += '>';
    return result;
}

}  // namespace qorita::sandbox
