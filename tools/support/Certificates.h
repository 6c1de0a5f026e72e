#pragma once

#include <filesystem>

namespace qorita::support {

// The PEM files of a private certificate authority and of the server certificate
// it issued, for HTTPS servers on loopback (the sandbox courier, the tests' fakes).
struct TCertificateFiles {
    std::filesystem::path CaCertificate;      // ca.pem: what clients trust
    std::filesystem::path ServerCertificate;  // server.pem
    std::filesystem::path ServerKey;          // server-key.pem
};

// Makes sure AFolder holds a usable authority and server certificate: files left
// by an earlier run are reused when they still fit together and have not expired,
// so a client that trusts the authority once keeps trusting it; anything missing
// or unusable is made anew (a new server certificate under the old authority when
// only the server part is unusable). Keys are written readable by the owner only.
// A new server certificate is valid for the names in ASubjectAltName, in
// OpenSSL's notation; only tests of host-name checking need other names.
TCertificateFiles EnsureCertificates(const std::filesystem::path& AFolder,
                                     const char* ASubjectAltName = "IP:127.0.0.1,DNS:localhost");

}  // namespace qorita::support
