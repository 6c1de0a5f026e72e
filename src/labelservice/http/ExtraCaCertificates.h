#pragma once

// Certificate authorities trusted in addition to the system store. libcurl's
// CURLOPT_CAINFO would replace the system bundle, so the certificates of the
// extra PEM file are added to the store of each TLS context instead.

#include <memory>
#include <string>

namespace qorita::http {

class TExtraCaCertificates {
public:
    // Reads every certificate of the PEM file; fails with a message naming the
    // file when it cannot be read or holds no certificate.
    explicit TExtraCaCertificates(const std::string& AFileName);
    ~TExtraCaCertificates();
    TExtraCaCertificates(const TExtraCaCertificates&) = delete;
    TExtraCaCertificates& operator=(const TExtraCaCertificates&) = delete;

    // ASslCtx is an OpenSSL SSL_CTX* (kept opaque so OpenSSL stays out of headers).
    // Returns false when a certificate could not be added.
    bool AddTo(void* ASslCtx) const noexcept;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::http
