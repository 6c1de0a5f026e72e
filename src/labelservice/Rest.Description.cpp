#include "labelservice/Rest.Description.h"

#include "common/Exception.h"
#include "common/Paths.h"
#include "common/Text.h"
#include "labelservice/http/HttpClient.h"
#include "labelservice/http/Url.h"
#include "xml/ParsedXml.h"
#include "xml/XmlInput.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace qorita::labelservice {

using xml::TReadNode;

namespace {

constexpr std::string_view WsdlNs = "http://schemas.xmlsoap.org/wsdl/";
constexpr std::string_view Soap11BindingNs = "http://schemas.xmlsoap.org/wsdl/soap/";

// Imports are followed this far and no further: a description that imports
// itself, or an endless chain, must not keep the call busy.
constexpr std::size_t MaxDescriptions = 16;

std::string ReadLocalFile(const std::string& APath)
{
    std::ifstream file(PathFromUtf8(APath), std::ios::binary | std::ios::ate);
    if (!file) throw Exception(Format("Cannot open file '%s'", APath.c_str()));
    const std::streamoff size = file.tellg();
    if (size > static_cast<std::streamoff>(DescriptionMaxBytes)) {
        throw Exception(
            Format("File '%s' refused: larger than the limit of %zu bytes", APath.c_str(), DescriptionMaxBytes));
    }
    file.seekg(0);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) throw Exception(Format("Cannot read file '%s'", APath.c_str()));
    return text;
}

// A qualified name read from an attribute of the description.
struct TQName {
    std::string NamespaceUri;  // empty: the name has no namespace
    std::string LocalName;
};

// AAttribute of AElement as a qualified name, its prefix resolved by the
// namespaces in scope where the attribute stands (an unprefixed name takes the
// default namespace). Nothing when the attribute is absent or its prefix is
// declared nowhere around it.
std::optional<TQName> ResolveQName(TReadNode AElement, const char* AAttribute)
{
    const std::optional<std::string> text = AElement.Attribute(AAttribute);
    if (!text) return std::nullopt;
    const std::string qname(Trim(*text));
    const auto colon = qname.find(':');
    const std::string prefix = colon == std::string::npos ? std::string() : qname.substr(0, colon);
    TQName result;
    result.LocalName = colon == std::string::npos ? qname : qname.substr(colon + 1);
    const std::optional<std::string> uri = AElement.PrefixNamespace(prefix);
    if (uri) result.NamespaceUri = *uri;
    else if (!prefix.empty()) return std::nullopt;
    return result;
}

// Whether the blank-separated list holds AName.
bool ListNames(std::string_view AList, std::string_view AName)
{
    std::size_t start = AList.find_first_not_of(" \t\r\n");
    while (start != std::string_view::npos) {
        const std::size_t end = std::min(AList.find_first_of(" \t\r\n", start), AList.size());
        if (AList.substr(start, end - start) == AName) return true;
        start = AList.find_first_not_of(" \t\r\n", end);
    }
    return false;
}

struct TLoaded {
    std::string Location;
    bool Remote = false;
    xml::TParsedXml Doc;

    TReadNode Definitions() const
    {
        const TReadNode root = Doc.Root();
        return root && root.LocalName() == "definitions" && root.NamespaceURI() == WsdlNs ? root : TReadNode();
    }
};

}  // namespace

struct TServiceDescription::TImpl {
    http::THttpClient& Client;
    std::vector<TLoaded> Docs;
    bool ImportsLoaded = false;

    explicit TImpl(http::THttpClient& AClient) : Client(AClient) {}

    TLoaded Load(const std::string& ALocation) const;
    void LoadImports();
    TReadNode FindPort();
    TReadNode FindDefinition(std::string_view AKind, const std::optional<TQName>& AName);
    std::string InputElementNamespace(TReadNode ABinding, const std::string& AOperation, TReadNode ABody);
    template <typename TFind>
    TReadNode FindAnywhere(TFind AFind);
};

TLoaded TServiceDescription::TImpl::Load(const std::string& ALocation) const
{
    TLoaded loaded;
    loaded.Location = ALocation;
    loaded.Remote = http::IsHttpUrl(ALocation);
    try {
        std::string text;
        // What comes over the network comes over verified TLS, or not at all:
        // a plain http description (or import) could name any endpoint, and
        // the requests carry the courier password.
        if (loaded.Remote && !http::IsHttpsUrl(ALocation)) {
            throw Exception("not an https location: the description must come over verified TLS");
        }
        if (loaded.Remote) {
            http::THttpResponse response =
                Client.Get(ALocation, {{"Accept", "*/*"}, {"Content-Type", "text/xml"}}, DescriptionMaxBytes);
            if (response.StatusCode >= 300)
                throw Exception(
                    Format("%s (%ld) - '%s'", response.ReasonPhrase.c_str(), response.StatusCode, ALocation.c_str()));
            text = std::move(response.Body);
        } else {
            text = ReadLocalFile(ALocation);
        }
        if (text.empty()) throw Exception("Empty document");
        loaded.Doc = xml::TXmlInput(text, xml::DescriptionMaxNodes).Parse();
    } catch (const Exception& error) {
        throw Exception(Format("Unable to load WSDL File/Location: %s.  Error [%s]", ALocation.c_str(), error.what()));
    }
    return loaded;
}

void TServiceDescription::TImpl::LoadImports()
{
    if (ImportsLoaded) return;
    ImportsLoaded = true;
    // Breadth first over the import graph, each location loaded once.
    for (std::size_t next = 0; next < Docs.size(); ++next) {
        TReadNode definitions = Docs[next].Definitions();
        if (!definitions) continue;
        // Copied: loading an import grows Docs and would invalidate a reference.
        const std::string baseLocation = Docs[next].Location;
        const bool baseRemote = Docs[next].Remote;
        for (TReadNode child : definitions.ElementChildren()) {
            if (child.LocalName() != "import" || child.NamespaceURI() != WsdlNs) continue;
            const std::optional<std::string> relative = child.Attribute("location");
            if (!relative || Trim(*relative).empty()) continue;
            const std::string target(Trim(*relative));
            std::string location;
            try {
                if (baseRemote) {
                    location = http::ResolveUrl(baseLocation, target);
                    // A description from the network may not point us at local files.
                    if (!http::IsHttpUrl(location))
                        throw Exception(Format("Import location '%s' is not an http(s) URL", location.c_str()));
                } else if (http::IsHttpUrl(target)) {
                    location = http::ResolveUrl(target, target);
                } else {
                    location = (std::filesystem::path(baseLocation).parent_path() / target).string();
                }
            } catch (const Exception& error) {
                throw Exception(
                    Format("Unable to load WSDL File/Location: %s.  Error [%s]", relative->c_str(), error.what()));
            }
            bool known = false;
            for (const TLoaded& doc : Docs) known = known || doc.Location == location;
            if (known) continue;
            if (Docs.size() >= MaxDescriptions)
                throw Exception(
                    Format("Unable to load WSDL File/Location: %s.  Error [More than %zu imported "
                           "descriptions]",
                           location.c_str(), MaxDescriptions));
            Docs.push_back(Load(location));
        }
    }
}

template <typename TFind>
TReadNode TServiceDescription::TImpl::FindAnywhere(TFind AFind)
{
    // The description itself first; its imports only when it lacks the item.
    if (TReadNode found = AFind(Docs.front())) return found;
    LoadImports();
    for (std::size_t i = 1; i < Docs.size(); ++i)
        if (TReadNode found = AFind(Docs[i])) return found;
    return {};
}

TReadNode TServiceDescription::TImpl::FindPort()
{
    return FindAnywhere([](const TLoaded& ADoc) -> TReadNode {
        TReadNode definitions = ADoc.Definitions();
        TReadNode service = definitions ? definitions.FindChild(WsdlNs, "service", ServiceName) : TReadNode();
        return service ? service.FindChild(WsdlNs, "port", PortName) : TReadNode();
    });
}

TReadNode TServiceDescription::TImpl::FindDefinition(std::string_view AKind, const std::optional<TQName>& AName)
{
    // A binding, port type or message named by a qualified name: declared in
    // the description whose target namespace is the name's namespace.
    if (!AName) return {};
    return FindAnywhere([&](const TLoaded& ADoc) -> TReadNode {
        TReadNode definitions = ADoc.Definitions();
        if (!definitions || definitions.Attribute("targetNamespace").value_or("") != AName->NamespaceUri) return {};
        return definitions.FindChild(WsdlNs, AKind, AName->LocalName.c_str());
    });
}

std::string TServiceDescription::TImpl::InputElementNamespace(TReadNode ABinding, const std::string& AOperation,
                                                              TReadNode ABody)
{
    // Binding -> port type -> operation -> input message -> the part that
    // names an element: in a document/literal description that element is the
    // wrapper, declared in the description's schema under its own namespace.
    TReadNode portType = FindDefinition("portType", ResolveQName(ABinding, "type"));
    TReadNode operation = portType ? portType.FindChild(WsdlNs, "operation", AOperation.c_str()) : TReadNode();
    TReadNode input = operation ? operation.FindChild(WsdlNs, "input") : TReadNode();
    TReadNode message = input ? FindDefinition("message", ResolveQName(input, "message")) : TReadNode();
    if (!message) return {};
    // soap:body may list the parts that travel in the body; without the list
    // every part does.
    const std::optional<std::string> bodyParts = ABody ? ABody.Attribute("parts") : std::nullopt;
    for (TReadNode part : message.ElementChildren()) {
        if (part.LocalName() != "part" || part.NamespaceURI() != WsdlNs || !part.Attribute("element")) continue;
        if (bodyParts && !ListNames(*bodyParts, part.Attribute("name").value_or(""))) continue;
        const std::optional<TQName> element = ResolveQName(part, "element");
        return element ? element->NamespaceUri : std::string();
    }
    return {};
}

TServiceDescription::TServiceDescription(const std::string& ALocation, http::THttpClient& AClient)
    : FImpl(std::make_unique<TImpl>(AClient))
{
    FImpl->Docs.push_back(FImpl->Load(std::string(Trim(ALocation))));
}

TServiceDescription::~TServiceDescription() = default;

const std::string& TServiceDescription::Location() const { return FImpl->Docs.front().Location; }

TServiceBinding TServiceDescription::Resolve(const std::string& AOperation)
{
    TServiceBinding result;
    result.WrapperNamespace = ServiceNamespace;
    TReadNode port = FImpl->FindPort();
    TReadNode binding = port ? FImpl->FindDefinition("binding", ResolveQName(port, "binding")) : TReadNode();
    if (binding) {
        TReadNode body;
        if (TReadNode operation = binding.FindChild(WsdlNs, "operation", AOperation.c_str())) {
            if (TReadNode soapOperation = operation.FindChild(Soap11BindingNs, "operation"))
                result.SoapAction = soapOperation.Attribute("soapAction").value_or("");
            TReadNode input = operation.FindChild(WsdlNs, "input");
            body = input ? input.FindChild(Soap11BindingNs, "body") : TReadNode();
        }
        // The body's own namespace when it names one; otherwise the namespace
        // of the wrapper element that the input message names. Descriptions
        // of document/literal services mostly give only the latter.
        std::string wrapperNamespace = body ? body.Attribute("namespace").value_or("") : std::string();
        if (wrapperNamespace.empty()) wrapperNamespace = FImpl->InputElementNamespace(binding, AOperation, body);
        if (!wrapperNamespace.empty()) result.WrapperNamespace = wrapperNamespace;
    } else if (port) {
        // The port names a binding the description lacks: fall back to the
        // service's usual action, namespace followed by the operation name.
        result.SoapAction = std::string(ServiceNamespace) + AOperation;
    }
    // The action travels as a header: a line break in it (written as a character
    // reference in the description) would let the description add headers.
    for (const char c : result.SoapAction)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw Exception(
                Format("Invalid soapAction for operation %s in WSDL '%s'", AOperation.c_str(), Location().c_str()));
    TReadNode address = port ? port.FindChild(Soap11BindingNs, "address") : TReadNode();
    result.Endpoint = address ? std::string(Trim(address.Attribute("location").value_or(""))) : std::string();
    if (result.Endpoint.empty())
        throw Exception(Format("Unable to retrieve the URL endpoint for Service/Port '%s'/'%s' from WSDL '%s'",
                               ServiceName, PortName, Location().c_str()));
    return result;
}

std::vector<std::string> TServiceDescription::Missing(const std::vector<std::string>& AOperations)
{
    TReadNode port = FImpl->FindPort();
    if (!port) {
        const bool hasService = static_cast<bool>(FImpl->FindAnywhere([](const TLoaded& ADoc) -> TReadNode {
            TReadNode definitions = ADoc.Definitions();
            return definitions ? definitions.FindChild(WsdlNs, "service", ServiceName) : TReadNode();
        }));
        if (!hasService) return {Format("service '%s'", ServiceName)};
        return {Format("port '%s' of service '%s'", PortName, ServiceName)};
    }
    TReadNode binding = FImpl->FindDefinition("binding", ResolveQName(port, "binding"));
    if (!binding)
        return {Format("binding '%s' of port '%s'", port.Attribute("binding").value_or("").c_str(), PortName)};
    std::vector<std::string> missing;
    for (const std::string& operation : AOperations)
        if (!binding.FindChild(WsdlNs, "operation", operation.c_str()))
            missing.push_back(Format("operation '%s'", operation.c_str()));
    return missing;
}

}  // namespace qorita::labelservice
