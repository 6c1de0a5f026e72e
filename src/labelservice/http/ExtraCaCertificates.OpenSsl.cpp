#include "labelservice/http/ExtraCaCertificates.h"

#include "common/Exception.h"

#include <curl/curl.h>

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <vector>

namespace qorita::http {

namespace {

struct TBioFree {
    void operator()(BIO* ABio) const noexcept { BIO_free(ABio); }
};
struct TX509Free {
    void operator()(X509* ACert) const noexcept { X509_free(ACert); }
};

std::string LastOpenSslError()
{
    const unsigned long code = ERR_peek_last_error();
    ERR_clear_error();
    if (code == 0) return "no certificate found";
    char text[256];
    ERR_error_string_n(code, text, sizeof text);
    return text;
}

}  // namespace

struct TExtraCaCertificates::TImpl {
    std::vector<std::unique_ptr<X509, TX509Free>> Certificates;

    bool AddTo(SSL_CTX* ASslCtx) const noexcept;
    static CURLcode OnSslContext(CURL* AHandle, void* ASslCtx, void* AUser);
};

TExtraCaCertificates::TExtraCaCertificates(const std::string& AFileName) : FImpl(std::make_unique<TImpl>())
{
    ERR_clear_error();
    std::unique_ptr<BIO, TBioFree> bio(BIO_new_file(AFileName.c_str(), "r"));
    if (!bio)
        throw Exception(Format("Cannot read the CA file '%s': %s", AFileName.c_str(), LastOpenSslError().c_str()));
    while (X509* cert = PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr)) FImpl->Certificates.emplace_back(cert);
    // Reading stops with "no start line" at the end of the file: that is not an error.
    const unsigned long last = ERR_peek_last_error();
    if (last != 0 && ERR_GET_REASON(last) == PEM_R_NO_START_LINE) ERR_clear_error();
    if (FImpl->Certificates.empty() || ERR_peek_last_error() != 0)
        throw Exception(Format("Cannot read the CA file '%s': %s", AFileName.c_str(), LastOpenSslError().c_str()));
}

TExtraCaCertificates::~TExtraCaCertificates() = default;

bool TExtraCaCertificates::TImpl::AddTo(SSL_CTX* ASslCtx) const noexcept
{
    X509_STORE* store = SSL_CTX_get_cert_store(ASslCtx);
    if (store == nullptr) return false;
    for (const auto& cert : Certificates) {
        // A certificate already in the store is accepted silently by OpenSSL 3.
        if (X509_STORE_add_cert(store, cert.get()) != 1) return false;
    }
    return true;
}

CURLcode TExtraCaCertificates::TImpl::OnSslContext(CURL*, void* ASslCtx, void* AUser)
{
    const auto* self = static_cast<const TImpl*>(AUser);
    return self->AddTo(static_cast<SSL_CTX*>(ASslCtx)) ? CURLE_OK : CURLE_SSL_CACERT_BADFILE;
}

void TExtraCaCertificates::InstallOn(void* ACurlHandle) const
{
    CURL* handle = static_cast<CURL*>(ACurlHandle);
    CURLcode code = curl_easy_setopt(handle, CURLOPT_SSL_CTX_FUNCTION, &TImpl::OnSslContext);
    if (code == CURLE_OK) code = curl_easy_setopt(handle, CURLOPT_SSL_CTX_DATA, static_cast<void*>(FImpl.get()));
    if (code != CURLE_OK)
        throw Exception(Format("libcurl refused the extra CA certificates: %s", curl_easy_strerror(code)));
}

}  // namespace qorita::http
