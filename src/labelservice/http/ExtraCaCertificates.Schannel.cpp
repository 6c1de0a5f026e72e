#include "labelservice/http/ExtraCaCertificates.h"

#include "common/DurableFile.h"
#include "common/Exception.h"
#include "common/Paths.h"

#include <windows.h>

#include <wincrypt.h>

#include <curl/curl.h>

namespace qorita::http {
namespace {

constexpr std::string_view kBegin = "-----BEGIN CERTIFICATE-----";

// The certificates of the machine's and the user's trusted root stores, as PEM.
std::string SystemRootsAsPem()
{
    std::string pem;
    HCERTSTORE store = CertOpenSystemStoreW(0, L"ROOT");
    if (store == nullptr) return pem;
    const CERT_CONTEXT* certificate = nullptr;
    while ((certificate = CertEnumCertificatesInStore(store, certificate)) != nullptr) {
        DWORD size = 0;
        if (!CryptBinaryToStringA(certificate->pbCertEncoded, certificate->cbCertEncoded,
                                  CRYPT_STRING_BASE64HEADER | CRYPT_STRING_NOCR, nullptr, &size))
            continue;
        std::string text(size, '\0');
        if (!CryptBinaryToStringA(certificate->pbCertEncoded, certificate->cbCertEncoded,
                                  CRYPT_STRING_BASE64HEADER | CRYPT_STRING_NOCR, text.data(), &size))
            continue;
        text.resize(size);
        pem += text;
    }
    CertCloseStore(store, 0);
    return pem;
}

}  // namespace

struct TExtraCaCertificates::TImpl {
    std::string Pem;  // the file's certificates
};

TExtraCaCertificates::TExtraCaCertificates(const std::string& AFileName) : FImpl(std::make_unique<TImpl>())
{
    if (!ReadWholeFile(PathFromUtf8(AFileName), FImpl->Pem))
        throw Exception(Format("Cannot read the CA file '%s': no such file", AFileName.c_str()));
    if (FImpl->Pem.find(kBegin) == std::string::npos)
        throw Exception(Format("Cannot read the CA file '%s': no certificate found", AFileName.c_str()));
}

TExtraCaCertificates::~TExtraCaCertificates() = default;

void TExtraCaCertificates::InstallOn(void* ACurlHandle) const
{
    // Schannel verifies against the given roots only: the system's go with them.
    std::string pem = SystemRootsAsPem();
    pem += '\n';
    pem += FImpl->Pem;
    curl_blob blob{pem.data(), pem.size(), CURL_BLOB_COPY};
    const CURLcode code = curl_easy_setopt(static_cast<CURL*>(ACurlHandle), CURLOPT_CAINFO_BLOB, &blob);
    if (code != CURLE_OK)
        throw Exception(Format("libcurl refused the extra CA certificates: %s", curl_easy_strerror(code)));
}

}  // namespace qorita::http
