#include "labelservice/Rest.Envelope.h"

#include "common/Exception.h"
#include "xml/XmlBuilder.h"

namespace qorita::labelservice {

namespace {

constexpr std::string_view Declaration = "<?xml version=\"1.0\"?>";
constexpr std::string_view EnvelopePrefix = "SOAP-ENV";
const std::vector<xml::TNamespaceDeclaration> EnvelopeNamespaces = {
    {EnvelopePrefix, "http://schemas.xmlsoap.org/soap/envelope/"},
    {"xsd", "http://www.w3.org/2001/XMLSchema"},
    {"xsi", "http://www.w3.org/2001/XMLSchema-instance"},
};

}  // namespace

std::string BuildEnvelope(std::string_view AOperation, std::string_view AWrapperNamespace,
                          const std::vector<TSoapParameter>& AParameters)
{
    xml::TXmlBuilder envelope;
    std::size_t valueBytes = 0;
    const xml::TXmlBuilder::TElement body =
        envelope.SetRoot("Envelope", EnvelopePrefix, EnvelopeNamespaces).AddChild("Body", EnvelopePrefix);
    const xml::TXmlBuilder::TElement wrapper = body.AddChild(AOperation);
    // The wrapper's namespace is declared by an attribute of the tree, which
    // is only ever written: libxml2 writes the URI of a namespace object
    // without escaping it, and the description may give one with & or ".
    wrapper.SetAttribute("xmlns", AWrapperNamespace);
    for (const TSoapParameter& parameter : AParameters) {
        try {
            wrapper.AddChild(parameter.Name).AddText(parameter.Value);
            valueBytes += parameter.Value.size();
        } catch (const Exception& error) {
            throw Exception(
                ComposeMessage(Format("Parameter %s cannot be sent:", parameter.Name.c_str()), error.what()));
        }
    }
    // A wrapper without parameters is written with its end tag too.
    if (AParameters.empty()) wrapper.AddText("");
    // The declaration as the courier has always received it, without the line
    // feed libxml2 writes after one. The room reserved takes the markup of a
    // request of labels' data (a few escaped characters a line) at once.
    std::string text;
    text.reserve(Declaration.size() + valueBytes + valueBytes / 8 + 1024);
    text.append(Declaration);
    envelope.AppendMarkup(text);
    return text;
}

}  // namespace qorita::labelservice
