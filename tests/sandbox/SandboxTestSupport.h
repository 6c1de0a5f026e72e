#pragma once

#include "Courier.h"
#include "SandboxXml.h"
#include "Wsdl.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qorita::sandbox::test {

// One HTTPS exchange made with libcurl, verifying the server against a given CA.
struct THttpAnswer {
    long Status = 0;
    std::string ContentType;
    std::string Body;
    std::string Error;  // curl's message when the exchange failed, empty otherwise
};

THttpAnswer HttpsGet(const std::string& AUrl, const std::filesystem::path& ACaFile);
THttpAnswer HttpsPost(const std::string& AUrl, const std::filesystem::path& ACaFile, const std::string& ABody,
                      const std::vector<std::string>& AHeaders);

// An envelope as the customer's client writes it: the wrapper in the service
// namespace (or AWrapperNamespace), each parameter's text escaped as character data.
std::string RequestEnvelope(const std::string& AOperation,
                            const std::vector<std::pair<std::string, std::string>>& AParameters,
                            std::string_view AWrapperNamespace = ServiceNamespace);

// A parcel of an AddParcel request, with values that the courier accepts.
struct TParcelValues {
    std::string RagioneSociale = "Rossi & Figli S.r.l.";
    std::string Indirizzo = "Via Roma 1";
    std::string Localita = "Milano";
    std::string Zipcode = "20121";
    std::string Provincia = "MI";
    std::string PesoReale = "2.5";
    std::string GeneraPdf = "6";
    std::string ContatoreProgressivo = "101";
    std::string ImportoContrassegno;  // empty: no cash on delivery
    std::string ModalitaIncasso;
};

// The Info document of an AddParcel request.
std::string AddParcelRequest(const std::vector<TParcelValues>& AParcels, const std::string& ASede = "MI",
                             const std::string& ACliente = "123456", const std::string& APassword = "sandbox");
// The Info document of a confirmation request for these numbers.
std::string ConfirmRequest(const std::vector<std::string>& ANumbers, const std::string& ASede = "MI",
                           const std::string& ACliente = "123456", const std::string& APassword = "sandbox");

// The payload of a SOAP answer: the single child of Body/<Op>Response/<Op>Result,
// the wrapper <Op>Response being in AWrapperNamespace.
TXmlElement AnswerPayload(const std::string& AEnvelope, const std::string& AOperation,
                          std::string_view AWrapperNamespace = ServiceNamespace);

std::string Base64Decode(const std::string& AText);

}  // namespace qorita::sandbox::test
