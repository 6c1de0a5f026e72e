// One facade call (description GET + operation POST over one TLS connection,
// envelope building, answer examination, response document) against the
// loopback HTTPS server, next to its floor: two plain libcurl requests of the
// same sizes, each on a TLS connection of its own, as a client without our
// work would make them. The strict floor trusts the test authority alone (no
// system store to load); a floor that trusts the system store plus the test
// authority, as the program must, is shown too. BM_Ratio alternates the facade
// and the strict floor in one run and reports facade/floor as a counter
// (target: at most 1.2).

#include "Certificates.h"
#include "ScriptedServer.h"
#include "TempFolder.h"
#include "labelservice/AddParcel.Request.h"
#include "labelservice/AddParcel.Response.h"
#include "labelservice/LabelService.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using namespace qorita;

constexpr const char* WsdlPath = "/zanwebservice.asmx";
constexpr const char* EndpointPath = "/labels/endpoint.asmx";
constexpr int Parcels = 10;
constexpr std::size_t LabelBytes = 40 * 1024;  // a PDF label in base64

struct TSetup {
    support::TTempFolder CertificateFolder{"qorita-bench-certs"};
    support::TCertificateFiles Certificates;
    std::unique_ptr<sandbox::TScriptedServer> Server;
    labelservice::TServiceSettings Settings;
    std::unique_ptr<addparcel_request::TAddParcelRequest> Request;
    std::string EnvelopeOfSameSize;
    std::string WsdlUrl;
    std::string EndpointUrl;

    TSetup()
    {
        Certificates = support::EnsureCertificates(CertificateFolder.Path());
        Server = std::make_unique<sandbox::TScriptedServer>("The courier");
        Server->Start(Certificates);
        WsdlUrl = Server->BaseUrl() + WsdlPath + "?WSDL";
        EndpointUrl = Server->BaseUrl() + EndpointPath;
        sandbox::TScriptedAnswer wsdl;
        wsdl.Body =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
            "<wsdl:definitions xmlns:wsdl=\"http://schemas.xmlsoap.org/wsdl/\" "
            "xmlns:soap=\"http://schemas.xmlsoap.org/wsdl/soap/\" xmlns:tns=\"urn:bench\" "
            "targetNamespace=\"urn:bench\">"
            "<wsdl:binding name=\"B\" type=\"tns:P\"><soap:binding transport=\"http://schemas.xmlsoap.org/soap/http\"/>"
            "<wsdl:operation name=\"AddParcel\"><soap:operation soapAction=\"urn:bench/AddParcel\"/>"
            "<wsdl:input><soap:body use=\"literal\" namespace=\"urn:bench/\"/></wsdl:input></wsdl:operation>"
            "</wsdl:binding><wsdl:service name=\"ZanWebService\"><wsdl:port name=\"ZanWebServiceSoap\" "
            "binding=\"tns:B\">"
            "<soap:address location=\"" +
            EndpointUrl + "\"/></wsdl:port></wsdl:service></wsdl:definitions>\n";
        // Roughly the size of the courier's real description.
        wsdl.Body += "<!-- " + std::string(12 * 1024, 'w') + " -->\n";
        Server->Serve(WsdlPath, wsdl);

        std::string labels = "<InfoLabel>";
        for (int i = 0; i < Parcels; ++i)
            labels += "<Parcel><NumeroSpedizione>" + std::to_string(5000 + i) +
                      "</NumeroSpedizione><ContatoreProgressivo>" + std::to_string(i + 1) +
                      "</ContatoreProgressivo><PdfLabel>" + std::string(LabelBytes, 'Q') + "</PdfLabel></Parcel>";
        labels += "</InfoLabel>";
        sandbox::TScriptedAnswer answer;
        answer.Body =
            "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
            "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body><AddParcelResponse "
            "xmlns=\"urn:bench/\"><AddParcelResult>" +
            labels + "</AddParcelResult></AddParcelResponse></soap:Body></soap:Envelope>";
        Server->Serve(EndpointPath, answer);

        Settings = {WsdlUrl, Certificates.CaCertificate.string()};
        Request = std::make_unique<addparcel_request::TAddParcelRequest>();
        Request->Info()->SedeQor.Set("MI");
        Request->Info()->CodiceClienteQor.Set(4711);
        Request->Info()->PasswordClienteQor.Set("secret");
        for (int i = 0; i < Parcels; ++i) {
            auto parcel = Request->Info()->Parcel()->Add();
            parcel->RagioneSociale.Set("Rossi & Figli srl");
            parcel->Indirizzo.Set("Via Roma 1");
            parcel->Localita.Set("Milano");
            parcel->Zipcode.Set("20100");
            parcel->Provincia.Set("MI");
            parcel->Colli.Set(1);
            parcel->PesoReale.Set(2.5);
            parcel->ContatoreProgressivo.Set(i + 1);
        }
        // The floor posts a body of the envelope's size: measure it once.
        const std::string markup = Request->Info()->XML();
        std::size_t escapedSize = 0;
        for (char c : markup) escapedSize += c == '<' || c == '>' ? 4 : c == '&' ? 5 : 1;
        EnvelopeOfSameSize = std::string(escapedSize + 330, 'x');
    }
};

TSetup& Setup()
{
    static TSetup setup;
    return setup;
}

struct TCurlFree {
    void operator()(CURL* AHandle) const noexcept { curl_easy_cleanup(AHandle); }
};

size_t Discard(char*, size_t ASize, size_t ACount, void* AUser)
{
    *static_cast<std::size_t*>(AUser) += ASize * ACount;
    return ASize * ACount;
}

CURLcode AddTestAuthority(CURL*, void* ASslCtx, void* AUser)
{
    X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(ASslCtx));
    return X509_STORE_add_cert(store, static_cast<X509*>(AUser)) == 1 ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
}

X509* TestAuthority()
{
    static X509* cert = [] {
        FILE* file = std::fopen(Setup().Certificates.CaCertificate.c_str(), "r");
        X509* read = file ? PEM_read_X509(file, nullptr, nullptr, nullptr) : nullptr;
        if (file) std::fclose(file);
        if (read == nullptr) throw std::runtime_error("test authority unreadable");
        return read;
    }();
    return cert;
}

// One plain request on a connection of its own.
std::size_t PlainRequest(const std::string& AUrl, const std::string* APostBody, bool ASystemStore)
{
    std::unique_ptr<CURL, TCurlFree> curl(curl_easy_init());
    std::size_t received = 0;
    curl_easy_setopt(curl.get(), CURLOPT_URL, AUrl.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &Discard);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &received);
    if (ASystemStore) {
        curl_easy_setopt(curl.get(), CURLOPT_SSL_CTX_FUNCTION, &AddTestAuthority);
        curl_easy_setopt(curl.get(), CURLOPT_SSL_CTX_DATA, TestAuthority());
    } else {
        curl_easy_setopt(curl.get(), CURLOPT_CAINFO, Setup().Certificates.CaCertificate.c_str());
    }
    curl_slist* headers = nullptr;
    if (APostBody != nullptr) {
        headers = curl_slist_append(headers, "Expect:");
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, APostBody->data());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(APostBody->size()));
    }
    const CURLcode code = curl_easy_perform(curl.get());
    curl_slist_free_all(headers);
    if (code != CURLE_OK) throw std::runtime_error(curl_easy_strerror(code));
    return received;
}

void Floor(bool ASystemStore)
{
    benchmark::DoNotOptimize(PlainRequest(Setup().WsdlUrl, nullptr, ASystemStore));
    benchmark::DoNotOptimize(PlainRequest(Setup().EndpointUrl, &Setup().EnvelopeOfSameSize, ASystemStore));
}

void Facade()
{
    auto response = labelservice::AddParcel(*Setup().Request, Setup().Settings);
    if (response->InfoLabel() == nullptr || response->InfoLabel()->Count() != Parcels)
        throw std::runtime_error("unexpected response");
    benchmark::DoNotOptimize(response);
}

void BM_FacadeAddParcel(benchmark::State& AState)
{
    for (auto _ : AState) Facade();
}
BENCHMARK(BM_FacadeAddParcel)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorTwoConnections(benchmark::State& AState)
{
    for (auto _ : AState) Floor(true);
}
BENCHMARK(BM_FloorTwoConnections)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FloorTwoConnectionsTestAuthorityOnly(benchmark::State& AState)
{
    for (auto _ : AState) Floor(false);
}
BENCHMARK(BM_FloorTwoConnectionsTestAuthorityOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// Facade and the strict floor (test authority only, no system store) taken
// turn about, so that both see the same machine load.
void BM_Ratio(benchmark::State& AState)
{
    using TClock = std::chrono::steady_clock;
    TClock::duration facade{};
    TClock::duration floor{};
    for (auto _ : AState) {
        const auto start = TClock::now();
        Facade();
        const auto middle = TClock::now();
        Floor(false);
        floor += TClock::now() - middle;
        facade += middle - start;
    }
    const double facadeMs =
        std::chrono::duration<double, std::milli>(facade).count() / static_cast<double>(AState.iterations());
    const double floorMs =
        std::chrono::duration<double, std::milli>(floor).count() / static_cast<double>(AState.iterations());
    AState.counters["facade_ms"] = facadeMs;
    AState.counters["floor_ms"] = floorMs;
    AState.counters["ratio"] = facadeMs / floorMs;
}
BENCHMARK(BM_Ratio)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(300);

}  // namespace

BENCHMARK_MAIN();
