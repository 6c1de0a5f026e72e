#include "Certificates.h"

#include "common/Exception.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <memory>
#include <string>

namespace qorita::support {

namespace {

struct TKeyDeleter {
    void operator()(EVP_PKEY* AKey) const noexcept { EVP_PKEY_free(AKey); }
};
struct TCertDeleter {
    void operator()(X509* ACert) const noexcept { X509_free(ACert); }
};
struct TExtDeleter {
    void operator()(X509_EXTENSION* AExt) const noexcept { X509_EXTENSION_free(AExt); }
};
struct TFileDeleter {
    void operator()(std::FILE* AFile) const noexcept { std::fclose(AFile); }
};
using TKey = std::unique_ptr<EVP_PKEY, TKeyDeleter>;
using TCert = std::unique_ptr<X509, TCertDeleter>;
using TExt = std::unique_ptr<X509_EXTENSION, TExtDeleter>;
using TFile = std::unique_ptr<std::FILE, TFileDeleter>;

constexpr long CaDays = 3650;
// Below the 825 days that some TLS stacks accept for a server certificate.
constexpr long ServerDays = 800;

[[noreturn]] void Fail(const std::string& AWhat)
{
    const unsigned long code = ERR_get_error();
    std::string reason = AWhat;
    if (code != 0) {
        char buffer[256];
        ERR_error_string_n(code, buffer, sizeof buffer);
        reason += ": ";
        reason += buffer;
    }
    ERR_clear_error();
    throw Exception(reason);
}

void Check(int AResult, const char* AWhat)
{
    if (AResult <= 0) {
        Fail(AWhat);
    }
}

TKey NewKey()
{
    TKey key(EVP_EC_gen("P-256"));
    if (!key) {
        Fail("Cannot generate an EC P-256 key");
    }
    return key;
}

void AddExtension(X509* ACert, X509* AIssuer, int ANid, const char* AValue)
{
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, AIssuer, ACert, nullptr, nullptr, 0);
    TExt ext(X509V3_EXT_conf_nid(nullptr, &ctx, ANid, AValue));
    if (!ext) {
        Fail(std::string("Cannot build certificate extension ") + AValue);
    }
    Check(X509_add_ext(ACert, ext.get(), -1), "Cannot add a certificate extension");
}

TCert NewCertificate(EVP_PKEY* AKey, const char* ACommonName, long ADays)
{
    TCert cert(X509_new());
    if (!cert) {
        Fail("Cannot allocate a certificate");
    }
    Check(X509_set_version(cert.get(), 2), "Cannot set the certificate version");
    // A random serial, so that a re-issued server certificate never repeats one.
    unsigned char serial[16];
    Check(RAND_bytes(serial, sizeof serial), "Cannot draw a serial number");
    serial[0] &= 0x7F;
    std::unique_ptr<BIGNUM, decltype(&BN_free)> number(BN_bin2bn(serial, sizeof serial, nullptr), &BN_free);
    if (!number || BN_to_ASN1_INTEGER(number.get(), X509_get_serialNumber(cert.get())) == nullptr) {
        Fail("Cannot set the serial number");
    }
    // Backdated an hour so that a client clock slightly behind still accepts it.
    if (X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600) == nullptr ||
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), ADays * 24 * 3600) == nullptr) {
        Fail("Cannot set the validity period");
    }
    X509_NAME* name = X509_get_subject_name(cert.get());
    Check(X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("qorita sandbox"),
                                     -1, -1, 0),
          "Cannot set the organisation");
    Check(X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(ACommonName), -1,
                                     -1, 0),
          "Cannot set the common name");
    Check(X509_set_pubkey(cert.get(), AKey), "Cannot set the public key");
    return cert;
}

TCert MakeCa(EVP_PKEY* ACaKey)
{
    TCert cert = NewCertificate(ACaKey, "qorita sandbox CA", CaDays);
    Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get())), "Cannot set the issuer");
    AddExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    AddExtension(cert.get(), cert.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    AddExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    Check(X509_sign(cert.get(), ACaKey, EVP_sha256()), "Cannot sign the CA certificate");
    return cert;
}

TCert MakeServer(EVP_PKEY* AServerKey, X509* ACa, EVP_PKEY* ACaKey, const char* ASubjectAltName)
{
    TCert cert = NewCertificate(AServerKey, "127.0.0.1", ServerDays);
    Check(X509_set_issuer_name(cert.get(), X509_get_subject_name(ACa)), "Cannot set the issuer");
    AddExtension(cert.get(), ACa, NID_basic_constraints, "critical,CA:FALSE");
    AddExtension(cert.get(), ACa, NID_key_usage, "critical,digitalSignature,keyEncipherment");
    AddExtension(cert.get(), ACa, NID_ext_key_usage, "serverAuth");
    // Clients match the host against the alternative names only, never the CN.
    AddExtension(cert.get(), ACa, NID_subject_alt_name, ASubjectAltName);
    AddExtension(cert.get(), ACa, NID_subject_key_identifier, "hash");
    AddExtension(cert.get(), ACa, NID_authority_key_identifier, "keyid:always");
    Check(X509_sign(cert.get(), ACaKey, EVP_sha256()), "Cannot sign the server certificate");
    return cert;
}

TFile OpenForWriting(const std::filesystem::path& APath, bool APrivate)
{
    std::filesystem::remove(APath);
    TFile file(std::fopen(APath.c_str(), "wb"));
    if (!file) {
        throw Exception("Cannot write " + APath.string());
    }
    if (APrivate) {
        // Restricted before the key is written into it.
        std::filesystem::permissions(APath, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::replace);
    }
    return file;
}

void WriteKey(const std::filesystem::path& APath, EVP_PKEY* AKey)
{
    TFile file = OpenForWriting(APath, true);
    Check(PEM_write_PrivateKey(file.get(), AKey, nullptr, nullptr, 0, nullptr, nullptr),
          "Cannot write the private key");
}

void WriteCert(const std::filesystem::path& APath, X509* ACert)
{
    TFile file = OpenForWriting(APath, false);
    Check(PEM_write_X509(file.get(), ACert), "Cannot write the certificate");
}

TKey ReadKey(const std::filesystem::path& APath)
{
    TFile file(std::fopen(APath.c_str(), "rb"));
    TKey key(file ? PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return key;
}

TCert ReadCert(const std::filesystem::path& APath)
{
    TFile file(std::fopen(APath.c_str(), "rb"));
    TCert cert(file ? PEM_read_X509(file.get(), nullptr, nullptr, nullptr) : nullptr);
    ERR_clear_error();
    return cert;
}

// Still valid a day from now, so that a long demo does not run into the expiry.
bool StillValid(X509* ACert)
{
    time_t tomorrow = time(nullptr) + 24 * 3600;
    return X509_cmp_time(X509_get0_notAfter(ACert), &tomorrow) > 0 &&
           X509_cmp_current_time(X509_get0_notBefore(ACert)) < 0;
}

bool Usable(X509* ACert, EVP_PKEY* AKey)
{
    const bool fits =
        ACert != nullptr && AKey != nullptr && X509_check_private_key(ACert, AKey) == 1 && StillValid(ACert);
    ERR_clear_error();
    return fits;
}

}  // namespace

TCertificateFiles EnsureCertificates(const std::filesystem::path& AFolder, const char* ASubjectAltName)
{
    std::filesystem::create_directories(AFolder);
    const TCertificateFiles files{AFolder / "ca.pem", AFolder / "server.pem", AFolder / "server-key.pem"};
    const std::filesystem::path caKeyFile = AFolder / "ca-key.pem";

    TKey caKey = ReadKey(caKeyFile);
    TCert ca = ReadCert(files.CaCertificate);
    bool newCa = false;
    if (!Usable(ca.get(), caKey.get())) {
        caKey = NewKey();
        ca = MakeCa(caKey.get());
        WriteKey(caKeyFile, caKey.get());
        WriteCert(files.CaCertificate, ca.get());
        newCa = true;
    }

    TKey serverKey = ReadKey(files.ServerKey);
    TCert server = ReadCert(files.ServerCertificate);
    const bool signedByCa = !newCa && server != nullptr && X509_verify(server.get(), X509_get0_pubkey(ca.get())) == 1;
    ERR_clear_error();
    if (!signedByCa || !Usable(server.get(), serverKey.get())) {
        serverKey = NewKey();
        server = MakeServer(serverKey.get(), ca.get(), caKey.get(), ASubjectAltName);
        WriteKey(files.ServerKey, serverKey.get());
        WriteCert(files.ServerCertificate, server.get());
    }
    return files;
}

}  // namespace qorita::support
