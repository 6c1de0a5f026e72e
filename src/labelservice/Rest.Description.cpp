#include "labelservice/Rest.Description.h"

#include "common/Exception.h"
#include "labelservice/Rest.Xml.h"
#include "labelservice/http/HttpClient.h"
#include "labelservice/http/Url.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace qorita::labelservice {

using namespace soapxml;

namespace {

constexpr std::string_view WsdlNs = "http://schemas.xmlsoap.org/wsdl/";
constexpr std::string_view Soap11BindingNs = "http://schemas.xmlsoap.org/wsdl/soap/";

// Imports are followed this far and no further: a description that imports
// itself, or an endless chain, must not keep the call busy.
constexpr std::size_t MaxDescriptions = 16;

std::string Trim(const std::string& AText)
{
    const auto first = AText.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = AText.find_last_not_of(" \t\r\n");
    return AText.substr(first, last - first + 1);
}

std::string ReadLocalFile(const std::string& APath)
{
    std::ifstream file(APath, std::ios::binary);
    if (!file)
        throw Exception(Format("Cannot open file '%s'", APath.c_str()));
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw Exception(Format("Cannot read file '%s'", APath.c_str()));
    return text;
}

struct TLoaded {
    std::string Location;
    bool Remote = false;
    TDocPtr Doc;

    xmlNode* Definitions() const
    {
        xmlNode* root = xmlDocGetRootElement(Doc.get());
        return root != nullptr && LocalName(root) == "definitions" && NamespaceUri(root) == WsdlNs ? root : nullptr;
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
    xmlNode* FindPort();
    xmlNode* FindBinding(xmlNode* APort);
    template <typename TFind>
    xmlNode* FindAnywhere(TFind AFind);
};

TLoaded TServiceDescription::TImpl::Load(const std::string& ALocation) const
{
    TLoaded loaded;
    loaded.Location = ALocation;
    loaded.Remote = http::IsHttpUrl(ALocation);
    try {
        std::string text;
        if (loaded.Remote) {
            http::THttpResponse response =
                Client.Get(ALocation, {{"Accept", "*/*"}, {"Content-Type", "text/xml"}});
            if (response.StatusCode >= 300)
                throw Exception(Format("%s (%ld) - '%s'", response.ReasonPhrase.c_str(), response.StatusCode,
                                       ALocation.c_str()));
            text = std::move(response.Body);
        } else {
            text = ReadLocalFile(ALocation);
        }
        if (text.empty())
            throw Exception("Empty document");
        loaded.Doc = ParseXml(text);
    } catch (const Exception& error) {
        throw Exception(Format("Unable to load WSDL File/Location: %s.  Error [%s]", ALocation.c_str(), error.what()));
    }
    return loaded;
}

void TServiceDescription::TImpl::LoadImports()
{
    if (ImportsLoaded)
        return;
    ImportsLoaded = true;
    // Breadth first over the import graph, each location loaded once.
    for (std::size_t next = 0; next < Docs.size(); ++next) {
        xmlNode* definitions = Docs[next].Definitions();
        if (definitions == nullptr)
            continue;
        // Copied: loading an import grows Docs and would invalidate a reference.
        const std::string baseLocation = Docs[next].Location;
        const bool baseRemote = Docs[next].Remote;
        for (xmlNode* child : ElementChildren(definitions)) {
            if (LocalName(child) != "import" || NamespaceUri(child) != WsdlNs)
                continue;
            const std::optional<std::string> relative = Attribute(child, "location");
            if (!relative || Trim(*relative).empty())
                continue;
            std::string location;
            try {
                if (baseRemote) {
                    location = http::ResolveUrl(baseLocation, Trim(*relative));
                    // A description from the network may not point us at local files.
                    if (!http::IsHttpUrl(location))
                        throw Exception(Format("Import location '%s' is not an http(s) URL", location.c_str()));
                } else if (http::IsHttpUrl(Trim(*relative))) {
                    location = http::ResolveUrl(Trim(*relative), Trim(*relative));
                } else {
                    location = (std::filesystem::path(baseLocation).parent_path() / Trim(*relative)).string();
                }
            } catch (const Exception& error) {
                throw Exception(
                    Format("Unable to load WSDL File/Location: %s.  Error [%s]", relative->c_str(), error.what()));
            }
            bool known = false;
            for (const TLoaded& doc : Docs)
                known = known || doc.Location == location;
            if (known)
                continue;
            if (Docs.size() >= MaxDescriptions)
                throw Exception(Format("Unable to load WSDL File/Location: %s.  Error [More than %zu imported "
                                       "descriptions]",
                                       location.c_str(), MaxDescriptions));
            Docs.push_back(Load(location));
        }
    }
}

template <typename TFind>
xmlNode* TServiceDescription::TImpl::FindAnywhere(TFind AFind)
{
    // The description itself first; its imports only when it lacks the item.
    if (xmlNode* found = AFind(Docs.front()))
        return found;
    LoadImports();
    for (std::size_t i = 1; i < Docs.size(); ++i)
        if (xmlNode* found = AFind(Docs[i]))
            return found;
    return nullptr;
}

xmlNode* TServiceDescription::TImpl::FindPort()
{
    return FindAnywhere([](const TLoaded& ADoc) -> xmlNode* {
        xmlNode* definitions = ADoc.Definitions();
        xmlNode* service = definitions ? FindChild(definitions, WsdlNs, "service", ServiceName) : nullptr;
        return service ? FindChild(service, WsdlNs, "port", PortName) : nullptr;
    });
}

xmlNode* TServiceDescription::TImpl::FindBinding(xmlNode* APort)
{
    const std::optional<std::string> qname = Attribute(APort, "binding");
    if (!qname)
        return nullptr;
    // The binding is a qualified name: its prefix is declared around the port.
    const auto colon = qname->find(':');
    const std::string prefix = colon == std::string::npos ? std::string() : qname->substr(0, colon);
    const std::string local = colon == std::string::npos ? *qname : qname->substr(colon + 1);
    const xmlNs* ns = xmlSearchNs(APort->doc, APort,
                                  prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
    const std::string namespaceUri = ns != nullptr ? reinterpret_cast<const char*>(ns->href) : "";
    return FindAnywhere([&](const TLoaded& ADoc) -> xmlNode* {
        xmlNode* definitions = ADoc.Definitions();
        if (definitions == nullptr || Attribute(definitions, "targetNamespace").value_or("") != namespaceUri)
            return nullptr;
        return FindChild(definitions, WsdlNs, "binding", local.c_str());
    });
}

TServiceDescription::TServiceDescription(const std::string& ALocation, http::THttpClient& AClient)
    : FImpl(std::make_unique<TImpl>(AClient))
{
    FImpl->Docs.push_back(FImpl->Load(Trim(ALocation)));
}

TServiceDescription::~TServiceDescription() = default;

const std::string& TServiceDescription::Location() const
{
    return FImpl->Docs.front().Location;
}

TServiceBinding TServiceDescription::Resolve(const std::string& AOperation)
{
    TServiceBinding result;
    result.WrapperNamespace = ServiceNamespace;
    xmlNode* port = FImpl->FindPort();
    xmlNode* binding = port ? FImpl->FindBinding(port) : nullptr;
    if (binding != nullptr) {
        if (xmlNode* operation = FindChild(binding, WsdlNs, "operation", AOperation.c_str())) {
            if (xmlNode* soapOperation = FindChild(operation, Soap11BindingNs, "operation"))
                result.SoapAction = Attribute(soapOperation, "soapAction").value_or("");
            xmlNode* input = FindChild(operation, WsdlNs, "input");
            xmlNode* body = input ? FindChild(input, Soap11BindingNs, "body") : nullptr;
            if (std::optional<std::string> ns = body ? Attribute(body, "namespace") : std::nullopt; ns && !ns->empty())
                result.WrapperNamespace = *ns;
        }
    } else if (port != nullptr) {
        // The port names a binding the description lacks: fall back to the
        // service's usual action, namespace followed by the operation name.
        result.SoapAction = std::string(ServiceNamespace) + AOperation;
    }
    // The action travels as a header: a line break in it (written as a character
    // reference in the description) would let the description add headers.
    for (const char c : result.SoapAction)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            throw Exception(Format("Invalid soapAction for operation %s in WSDL '%s'", AOperation.c_str(),
                                   Location().c_str()));
    xmlNode* address = port ? FindChild(port, Soap11BindingNs, "address") : nullptr;
    result.Endpoint = address ? Trim(Attribute(address, "location").value_or("")) : std::string();
    if (result.Endpoint.empty())
        throw Exception(Format("Unable to retrieve the URL endpoint for Service/Port '%s'/'%s' from WSDL '%s'",
                               ServiceName, PortName, Location().c_str()));
    return result;
}

std::vector<std::string> TServiceDescription::Missing(const std::vector<std::string>& AOperations)
{
    xmlNode* port = FImpl->FindPort();
    if (port == nullptr) {
        const bool hasService = FImpl->FindAnywhere([](const TLoaded& ADoc) -> xmlNode* {
            xmlNode* definitions = ADoc.Definitions();
            return definitions ? FindChild(definitions, WsdlNs, "service", ServiceName) : nullptr;
        }) != nullptr;
        if (!hasService)
            return {Format("service '%s'", ServiceName)};
        return {Format("port '%s' of service '%s'", PortName, ServiceName)};
    }
    xmlNode* binding = FImpl->FindBinding(port);
    if (binding == nullptr)
        return {Format("binding '%s' of port '%s'", Attribute(port, "binding").value_or("").c_str(), PortName)};
    std::vector<std::string> missing;
    for (const std::string& operation : AOperations)
        if (FindChild(binding, WsdlNs, "operation", operation.c_str()) == nullptr)
            missing.push_back(Format("operation '%s'", operation.c_str()));
    return missing;
}

}  // namespace qorita::labelservice
