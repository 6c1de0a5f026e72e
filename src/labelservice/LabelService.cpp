#include "labelservice/LabelService.h"

#include "labelservice/AddParcel.Request.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/CWDBSN.Request.h"
#include "labelservice/CWDBSN.Response.h"
#include "labelservice/DeleteSped.Request.h"
#include "labelservice/DeleteSped.Response.h"
#include "labelservice/Rest.h"
#include "xml/XmlValue.h"

namespace qorita::labelservice {

// The client and the payload text live in these frames only: both are gone when
// the call returns, also when building the response fails.

std::unique_ptr<addparcel_response::TAddParcelResponse> AddParcel(const addparcel_request::TAddParcelRequest& ARequest,
                                                                  const TServiceSettings& ASettings)
{
    TLabelServiceSoap client(ASettings);
    // The answer with its labels is taken over as a tree, never as text.
    return std::make_unique<addparcel_response::TAddParcelResponse>(client.AddParcel(ARequest.Info()->XML()));
}

std::unique_ptr<cwdbsn_response::TCWDBSNResponse> CloseWorkDayByShipmentNumber(
    const cwdbsn_request::TCWDBSNRequest& ARequest, const TServiceSettings& ASettings)
{
    TLabelServiceSoap client(ASettings);
    const std::string payload = client.CloseWorkDayByShipmentNumber(ARequest.Info()->XML());
    return std::make_unique<cwdbsn_response::TCWDBSNResponse>(payload);
}

std::unique_ptr<deletesped_response::TDeleteSpedResponse> DeleteSped(
    const deletesped_request::TDeleteSpedRequest& ARequest, const TServiceSettings& ASettings)
{
    const auto& info = ARequest.Info();
    // Read in the order the courier expects the parameters.
    const std::string sede = info->SedeQor();
    const std::string cliente = xml::IntegerToText(info->CodiceClienteQor());
    const std::string password = info->PasswordClienteQor();
    const std::string spedizione = xml::IntegerToText(info->NumSpedizione());
    TLabelServiceSoap client(ASettings);
    const std::string payload = client.DeleteSped(sede, cliente, password, spedizione);
    return std::make_unique<deletesped_response::TDeleteSpedResponse>(payload);
}

}  // namespace qorita::labelservice
