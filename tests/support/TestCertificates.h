#pragma once

// Certificates for HTTPS servers on loopback in tests and in the sandbox: a
// private certificate authority and a server certificate for 127.0.0.1 and
// localhost signed by it, made with OpenSSL at run time.

#include <filesystem>

namespace qorita::testsupport {

struct TCertificateFiles {
    std::filesystem::path CaCert;      // ca.pem: the authority clients must trust
    std::filesystem::path ServerCert;  // server.pem
    std::filesystem::path ServerKey;   // server-key.pem (unencrypted)
};

// Writes ca.pem, server.pem and server-key.pem into AFolder, or reuses them
// when all three are already there. Safe when several processes ask for the
// same folder at once: a fresh set is made aside and moved in as a whole.
// Each folder gets its own authority, so two folders do not trust each other.
// ASubjectAltName lists the names the server certificate is valid for, in
// OpenSSL's notation; only tests of host-name checking need another value.
TCertificateFiles EnsureTestCertificates(const std::filesystem::path& AFolder,
                                         const char* ASubjectAltName = "IP:127.0.0.1,DNS:localhost");

}  // namespace qorita::testsupport
