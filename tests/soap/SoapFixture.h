#pragma once

// What the SOAP client tests share: certificates, a scriptable HTTPS server
// playing the courier, a service description written for it, and answer
// envelopes.

#include "Certificates.h"
#include "ErrorOf.h"
#include "ScriptedServer.h"
#include "TempFolder.h"
#include "labelservice/Rest.h"
#include "labelservice/http/HttpClient.h"
#include "xml/XMLDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace qorita::soaptest {

using test::ErrorOf;

inline constexpr const char* WsdlPath = "/zanwebservice.asmx";
inline constexpr const char* EndpointPath = "/labels/endpoint.asmx";

// Certificate sets of this test process, made on first use in a private folder
// removed at exit. Each has its own authority; "Trusted" is the one the client
// is told about.
const support::TCertificateFiles& TrustedCertificates();
const support::TCertificateFiles& UntrustedCertificates();
const support::TCertificateFiles& OtherHostCertificates();  // valid for other.example only

struct TWsdlOptions {
    std::string Endpoint{};  // soap:address location (the test server's endpoint when empty)
    std::optional<std::string> WrapperNamespace = "urn:test:labels/";  // soap:body namespace
    bool SoapActions = true;                                           // soap:operation soapAction attributes
    bool Binding = true;                                               // the binding element itself
    bool Service = true;                                               // the ZanWebService / ZanWebServiceSoap port
    std::string BodyAttributes{};                                      // more attributes of the input soap:body
    std::string Declarations{};  // more attributes of wsdl:definitions (namespace declarations)
    std::string Definitions{};   // more content of wsdl:definitions, before the binding
};
std::string TestWsdl(const TWsdlOptions& AOptions);

// SOAP envelope (1.1 unless told) around the body content.
std::string AnswerEnvelope(const std::string& ABodyContent,
                           const char* ANamespace = "http://schemas.xmlsoap.org/soap/envelope/");
// A regular answer whose result element carries APayload.
std::string ResultEnvelope(const std::string& AOperation, const std::string& APayload);

// A client of the service ASettings names, as a run makes one.
std::unique_ptr<labelservice::TLabelServiceSoap> Client(const labelservice::TServiceSettings& ASettings,
                                                        const http::THttpLimits& ALimits = {});

// The payload's markup, as the answer held it.
std::string Markup(const xml::IXMLDocument& APayload);

class TSoapTest : public ::testing::Test {
protected:
    TSoapTest();

    sandbox::TScriptedServer& Server() { return FServer; }
    std::string WsdlUrl() const;
    std::string EndpointUrl() const;
    labelservice::TServiceSettings Settings() const;
    void ServeWsdl(TWsdlOptions AOptions = {});
    void EnqueueAnswer(const std::string& ABody, int AStatus = 200,
                       const std::string& AContentType = "text/xml; charset=utf-8");
    std::unique_ptr<labelservice::TLabelServiceSoap> Proxy(const http::THttpLimits& ALimits = {}) const;
    // A private folder of this test's own for files it writes.
    const std::filesystem::path& ScratchFolder() const { return FScratch.Path(); }

    support::TTempFolder FScratch{"qorita-soap"};
    sandbox::TScriptedServer FServer{"The courier"};
};

}  // namespace qorita::soaptest
