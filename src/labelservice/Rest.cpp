#include "labelservice/Rest.h"

#include "common/Exception.h"
#include "labelservice/Rest.Answer.h"
#include "labelservice/Rest.AnswerBody.h"
#include "labelservice/Rest.Description.h"
#include "labelservice/Rest.Envelope.h"
#include "labelservice/http/HttpClient.h"
#include "labelservice/http/Url.h"

#include <optional>
#include <vector>

namespace qorita::labelservice {

struct TLabelServiceSoap::TImpl {
    struct TCall {
        http::THttpResponse Response;
        std::string Endpoint;
    };

    TImpl(const TServiceSettings& ASettings, const http::THttpLimits& ALimits)
        : Location(ASettings.ServiceUrl.empty() ? DefaultServiceUrl : ASettings.ServiceUrl),
          CaFile(ASettings.CaFile),
          Limits(ALimits)
    {
    }

    // Posts the operation's envelope; the answer's body goes into AAnswer, where
    // the parser reads it.
    TCall Call(const std::string& AOperation, const std::vector<TSoapParameter>& AParameters, TAnswerBody& AAnswer)
    {
        // One handle for the description and the call: same host, one TLS handshake.
        if (!Client) Client.emplace(CaFile, Limits);
        if (!Description) Description = std::make_unique<TServiceDescription>(Location, *Client);
        const TServiceBinding binding = Description->Resolve(AOperation);
        // The request carries the courier password: never in clear.
        if (!http::IsHttpsUrl(binding.Endpoint))
            throw Exception(Format("The endpoint '%s' named by WSDL '%s' is not an https location: nothing was sent",
                                   binding.Endpoint.c_str(), Description->Location().c_str()));
        const std::string envelope = BuildEnvelope(AOperation, binding.WrapperNamespace, AParameters);
        return {Client->Post(binding.Endpoint,
                             {{"Content-Type", "text/xml; charset=utf-8"},
                              {"SOAPAction", binding.SoapAction.empty() ? "\"\"" : binding.SoapAction},
                              {"Accept", "*/*"}},
                             envelope, &AAnswer),
                binding.Endpoint};
    }

    std::string Invoke(const std::string& AOperation, const std::string& AResultElement,
                       const std::vector<TSoapParameter>& AParameters)
    {
        TAnswerBody answer;
        const TCall call = Call(AOperation, AParameters, answer);
        return ExtractPayload(call.Response, answer, call.Endpoint, AOperation, AResultElement);
    }

    std::string Location;
    std::string CaFile;
    http::THttpLimits Limits;
    std::optional<http::THttpClient> Client;
    std::unique_ptr<TServiceDescription> Description;  // declared after Client: destroyed first
};

http::THttpLimits ServiceLimits(const TServiceSettings& ASettings)
{
    http::THttpLimits limits;
    limits.ConnectTimeout = std::chrono::seconds(60);
    limits.StallTimeout = std::chrono::seconds(60);
    limits.TotalTimeout = ASettings.Timeout;
    limits.RunDeadline = ASettings.RunDeadline;
    limits.RunTimeout = ASettings.RunTimeout;
    return limits;
}

TLabelServiceSoap::TLabelServiceSoap(const TServiceSettings& ASettings)
    : TLabelServiceSoap(ASettings, ServiceLimits(ASettings))
{
}

TLabelServiceSoap::TLabelServiceSoap(const TServiceSettings& ASettings, const http::THttpLimits& ALimits)
    : FImpl(std::make_unique<TImpl>(ASettings, ALimits))
{
}

TLabelServiceSoap::~TLabelServiceSoap() = default;

xml::IXMLDocument TLabelServiceSoap::AddParcel(const std::string& AXMLInfoParcel)
{
    TAnswerBody answer;
    const TImpl::TCall call = FImpl->Call("AddParcel", {{"XMLInfoParcel", AXMLInfoParcel}}, answer);
    return ExtractPayloadDocument(call.Response, answer, call.Endpoint, "AddParcel", "AddParcelResult");
}

std::string TLabelServiceSoap::CloseWorkDayByShipmentNumber(const std::string& AXmlRequest)
{
    return FImpl->Invoke("CloseWorkDayByShipmentNumber", "CloseWorkDayByShipmentNumberResult",
                         {{"_xmlRequest", AXmlRequest}});
}

std::string TLabelServiceSoap::DeleteSped(const std::string& ASedeQor, const std::string& ACodiceClienteQor,
                                          const std::string& APasswordClienteQor, const std::string& ANumSpedizione)
{
    return FImpl->Invoke("DeleteSped", "DeleteSpedResult",
                         {{"SedeQor", ASedeQor},
                          {"CodiceClienteQor", ACodiceClienteQor},
                          {"PasswordClienteQor", APasswordClienteQor},
                          {"NumSpedizione", ANumSpedizione}});
}

}  // namespace qorita::labelservice
