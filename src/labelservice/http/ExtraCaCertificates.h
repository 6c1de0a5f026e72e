#pragma once

// Certificate authorities trusted in addition to the system store, for the
// TLS backend libcurl was built with (one implementation each). With OpenSSL
// CURLOPT_CAINFO would replace the system bundle, so the certificates of the
// extra PEM file are added to the store of each TLS context instead. With
// Windows' Schannel CURLOPT_CAINFO makes its file the only trusted roots, so
// it is given the system's trusted roots and the file's certificates together.

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

    // Makes the easy handle ACurlHandle (a CURL*, kept opaque so libcurl stays
    // out of headers) trust these authorities too on every connection it
    // makes; this object must outlive the handle. Fails with an Exception when
    // libcurl refuses.
    void InstallOn(void* ACurlHandle) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
};

}  // namespace qorita::http
