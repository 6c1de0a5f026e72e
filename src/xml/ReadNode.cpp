#include "xml/ReadNode.h"

#include "xml/LibXml.h"
#include "xml/XmlSerialize.h"

namespace qorita::xml {

namespace {

bool IsBlankText(const xmlNode* ANode)
{
    if (ANode->type != XML_TEXT_NODE) return false;
    for (const char c : libxml::FromXml(ANode->content)) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    }
    return true;
}

std::string Content(const xmlNode* ANode)
{
    const libxml::XmlCharPtr content(xmlNodeGetContent(ANode));
    return std::string(libxml::FromXml(content.get()));
}

}  // namespace

std::string_view TReadNode::LocalName() const { return libxml::FromXml(FNode->name); }

std::string_view TReadNode::NamespaceURI() const { return libxml::NamespaceURI(FNode); }

std::optional<std::string> TReadNode::Attribute(const char* AName) const
{
    const libxml::XmlCharPtr value(xmlGetNoNsProp(FNode, libxml::ToXml(AName)));
    if (!value) return std::nullopt;
    return std::string(libxml::FromXml(value.get()));
}

std::optional<std::string> TReadNode::Attribute(std::string_view ANamespace, std::string_view ALocalName) const
{
    // The attributes as written, never a default from a document type.
    for (const xmlAttr* attr = FNode->properties; attr != nullptr; attr = attr->next) {
        if (attr->ns != nullptr && libxml::FromXml(attr->ns->href) == ANamespace &&
            libxml::FromXml(attr->name) == ALocalName) {
            return Content(reinterpret_cast<const xmlNode*>(attr));
        }
    }
    return std::nullopt;
}

std::optional<std::string> TReadNode::PrefixNamespace(std::string_view APrefix) const
{
    const std::string prefix(APrefix);
    const xmlNs* ns = xmlSearchNs(FNode->doc, FNode, APrefix.empty() ? nullptr : libxml::ToXml(prefix.c_str()));
    if (ns == nullptr) return std::nullopt;
    return std::string(libxml::FromXml(ns->href));
}

std::vector<TReadNode> TReadNode::ElementChildren() const
{
    std::vector<TReadNode> result;
    for (xmlNode* child = FNode->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) result.emplace_back(child);
    }
    return result;
}

TReadNode TReadNode::FindChild(std::string_view ANamespace, std::string_view ALocalName, const char* AName) const
{
    for (const TReadNode child : ElementChildren()) {
        if (child.LocalName() != ALocalName || child.NamespaceURI() != ANamespace) continue;
        if (AName == nullptr || child.Attribute("name") == std::optional<std::string>(AName)) return child;
    }
    return TReadNode();
}

std::vector<TReadNode> TReadNode::ContentChildren() const
{
    std::vector<TReadNode> result;
    for (xmlNode* child = FNode->children; child != nullptr; child = child->next) {
        if (!IsBlankText(child)) result.emplace_back(child);
    }
    return result;
}

std::string TReadNode::Text() const { return Content(FNode); }

std::string TReadNode::Markup(std::size_t ASizeHint) const { return libxml::StandaloneMarkup(FNode, ASizeHint); }

}  // namespace qorita::xml
