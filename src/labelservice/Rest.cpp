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

namespace {

class TSoapLabelService final : public TLabelServiceSoap {
public:
    TSoapLabelService(const TServiceSettings& ASettings, const http::THttpLimits& ALimits)
        : FLocation(ASettings.ServiceUrl.empty() ? DefaultServiceUrl : ASettings.ServiceUrl),
          FCaFile(ASettings.CaFile),
          FLimits(ALimits)
    {
    }

    std::string AddParcel(const std::string& XMLInfoParcel) override
    {
        return Invoke("AddParcel", "AddParcelResult", {{"XMLInfoParcel", XMLInfoParcel}});
    }

    xml::IXMLDocument AddParcelDocument(const std::string& XMLInfoParcel) override
    {
        TAnswerBody answer;
        const TCall call = Call("AddParcel", {{"XMLInfoParcel", XMLInfoParcel}}, answer);
        return ExtractPayloadDocument(call.Response, answer, call.Endpoint, "AddParcel", "AddParcelResult");
    }

    std::string CloseWorkDayByShipmentNumber(const std::string& _xmlRequest) override
    {
        return Invoke("CloseWorkDayByShipmentNumber", "CloseWorkDayByShipmentNumberResult",
                      {{"_xmlRequest", _xmlRequest}});
    }

    std::string DeleteSped(const std::string& SedeQor, const std::string& CodiceClienteQor,
                           const std::string& PasswordClienteQor, const std::string& NumSpedizione) override
    {
        return Invoke("DeleteSped", "DeleteSpedResult",
                      {{"SedeQor", SedeQor},
                       {"CodiceClienteQor", CodiceClienteQor},
                       {"PasswordClienteQor", PasswordClienteQor},
                       {"NumSpedizione", NumSpedizione}});
    }

private:
    struct TCall {
        http::THttpResponse Response;
        std::string Endpoint;
    };

    // Posts the operation's envelope; the answer's body goes into AAnswer, where
    // the parser reads it.
    TCall Call(const std::string& AOperation, const std::vector<TSoapParameter>& AParameters, TAnswerBody& AAnswer)
    {
        // One handle for the description and the call: same host, one TLS handshake.
        if (!FClient) FClient.emplace(FCaFile, FLimits);
        if (!FDescription) FDescription = std::make_unique<TServiceDescription>(FLocation, *FClient);
        const TServiceBinding binding = FDescription->Resolve(AOperation);
        // The request carries the courier password: never in clear.
        if (!http::IsHttpsUrl(binding.Endpoint))
            throw Exception(Format("The endpoint '%s' named by WSDL '%s' is not an https location: nothing was sent",
                                   binding.Endpoint.c_str(), FDescription->Location().c_str()));
        const std::string envelope = BuildEnvelope(AOperation, binding.WrapperNamespace, AParameters);
        return {FClient->Post(binding.Endpoint,
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

    std::string FLocation;
    std::string FCaFile;
    http::THttpLimits FLimits;
    std::optional<http::THttpClient> FClient;
    std::unique_ptr<TServiceDescription> FDescription;  // declared after FClient: destroyed first
};

}  // namespace

std::shared_ptr<TLabelServiceSoap> GetLabelServiceSoap(const TServiceSettings& ASettings)
{
    http::THttpLimits limits;
    limits.TotalTimeout = ASettings.Timeout;
    limits.RunDeadline = ASettings.RunDeadline;
    limits.RunTimeout = ASettings.RunTimeout;
    return GetLabelServiceSoap(ASettings, limits);
}

std::shared_ptr<TLabelServiceSoap> GetLabelServiceSoap(const TServiceSettings& ASettings,
                                                       const http::THttpLimits& ALimits)
{
    return std::make_shared<TSoapLabelService>(ASettings, ALimits);
}

}  // namespace qorita::labelservice
