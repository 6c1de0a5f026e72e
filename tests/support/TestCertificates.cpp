#include "TestCertificates.h"

#include <openssl/bn.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

namespace qorita::testsupport {

namespace {

struct TKeyFree {
    void operator()(EVP_PKEY* AKey) const noexcept { EVP_PKEY_free(AKey); }
};
struct TX509Free {
    void operator()(X509* ACert) const noexcept { X509_free(ACert); }
};
struct TFileClose {
    void operator()(FILE* AFile) const noexcept { std::fclose(AFile); }
};
using TKeyPtr = std::unique_ptr<EVP_PKEY, TKeyFree>;
using TX509Ptr = std::unique_ptr<X509, TX509Free>;

void Check(bool AOk, const char* AWhat)
{
    if (!AOk)
        throw std::runtime_error(std::string("test certificate generation failed: ") + AWhat);
}

TKeyPtr NewKey()
{
    TKeyPtr key(EVP_EC_gen("P-256"));
    Check(key != nullptr, "key");
    return key;
}

void AddExtension(X509* ACert, X509* AIssuer, int ANid, const char* AValue)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, AIssuer, ACert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, ANid, AValue);
    Check(ext != nullptr, AValue);
    const int added = X509_add_ext(ACert, ext, -1);
    X509_EXTENSION_free(ext);
    Check(added == 1, "extension");
}

// Certificate for ASubjectKey named ACommonName, signed by AIssuerKey; the
// issuer certificate is null for the self-signed authority.
TX509Ptr NewCertificate(EVP_PKEY* ASubjectKey, const char* ACommonName, X509* AIssuer, EVP_PKEY* AIssuerKey,
                        const char* ASubjectAltName = nullptr)
{
    TX509Ptr cert(X509_new());
    Check(cert != nullptr, "certificate");
    Check(X509_set_version(cert.get(), 2) == 1, "version");
    unsigned char serial[16];
    Check(RAND_bytes(serial, sizeof serial) == 1, "serial");
    serial[0] &= 0x7F;  // positive
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    Check(number != nullptr && BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get())) != nullptr, "serial");
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -24L * 3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 10L * 365 * 24 * 3600);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("qorita tests"), -1,
                               -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(ACommonName), -1,
                               -1, 0);
    X509* issuer = AIssuer != nullptr ? AIssuer : cert.get();
    Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(issuer)) == 1, "issuer");
    Check(X509_set_pubkey(cert.get(), ASubjectKey) == 1, "public key");
    if (AIssuer == nullptr) {
        AddExtension(cert.get(), issuer, NID_basic_constraints, "critical,CA:TRUE");
        AddExtension(cert.get(), issuer, NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(cert.get(), issuer, NID_subject_key_identifier, "hash");
    } else {
        AddExtension(cert.get(), issuer, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert.get(), issuer, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        AddExtension(cert.get(), issuer, NID_ext_key_usage, "serverAuth");
        AddExtension(cert.get(), issuer, NID_subject_alt_name, ASubjectAltName);
        AddExtension(cert.get(), issuer, NID_authority_key_identifier, "keyid:always");
    }
    Check(X509_sign(cert.get(), AIssuerKey, EVP_sha256()) > 0, "signature");
    return cert;
}

std::unique_ptr<FILE, TFileClose> OpenForWriting(const std::filesystem::path& APath)
{
    std::unique_ptr<FILE, TFileClose> file(std::fopen(APath.c_str(), "wb"));
    Check(file != nullptr, APath.c_str());
    return file;
}

void WriteSet(const std::filesystem::path& AFolder, const char* ASubjectAltName)
{
    TKeyPtr caKey = NewKey();
    TX509Ptr caCert = NewCertificate(caKey.get(), "qorita test authority", nullptr, caKey.get());
    TKeyPtr serverKey = NewKey();
    TX509Ptr serverCert = NewCertificate(serverKey.get(), "localhost", caCert.get(), caKey.get(), ASubjectAltName);
    Check(PEM_write_X509(OpenForWriting(AFolder / "ca.pem").get(), caCert.get()) == 1, "ca.pem");
    Check(PEM_write_X509(OpenForWriting(AFolder / "server.pem").get(), serverCert.get()) == 1, "server.pem");
    Check(PEM_write_PrivateKey(OpenForWriting(AFolder / "server-key.pem").get(), serverKey.get(), nullptr, nullptr, 0,
                               nullptr, nullptr) == 1,
          "server-key.pem");
}

TCertificateFiles FilesIn(const std::filesystem::path& AFolder)
{
    return {AFolder / "ca.pem", AFolder / "server.pem", AFolder / "server-key.pem"};
}

bool Complete(const TCertificateFiles& AFiles)
{
    return std::filesystem::exists(AFiles.CaCert) && std::filesystem::exists(AFiles.ServerCert) &&
           std::filesystem::exists(AFiles.ServerKey);
}

}  // namespace

TCertificateFiles EnsureTestCertificates(const std::filesystem::path& AFolder, const char* ASubjectAltName)
{
    const TCertificateFiles files = FilesIn(AFolder);
    if (Complete(files))
        return files;
    if (AFolder.has_parent_path())
        std::filesystem::create_directories(AFolder.parent_path());
    std::random_device random;
    const std::filesystem::path aside =
        AFolder.string() + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(random());
    std::filesystem::create_directories(aside);
    try {
        WriteSet(aside, ASubjectAltName);
        // rename(2) replaces a missing or empty folder in one step; when another
        // process got there first, its complete set is kept.
        std::error_code error;
        std::filesystem::rename(aside, AFolder, error);
        if (error) {
            if (!Complete(files)) {
                // AFolder holds other files: write into it directly.
                WriteSet(AFolder, ASubjectAltName);
            }
        }
    } catch (...) {
        std::error_code ignored;
        std::filesystem::remove_all(aside, ignored);
        throw;
    }
    std::error_code ignored;
    std::filesystem::remove_all(aside, ignored);
    return files;
}

}  // namespace qorita::testsupport
