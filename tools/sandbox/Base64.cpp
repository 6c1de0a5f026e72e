#include "Labels.h"

#include "common/Exception.h"

#include <openssl/evp.h>

#include <climits>

namespace qorita::sandbox {

std::string Base64Encode(std::string_view ABytes)
{
    if (ABytes.size() > static_cast<std::size_t>(INT_MAX) / 2) {
        throw Exception("Label too large to encode");
    }
    // EVP_EncodeBlock writes no line breaks and a terminating NUL.
    std::string out(4 * ((ABytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(ABytes.data()), static_cast<int>(ABytes.size()));
    if (length < 0) {
        throw Exception("Base64 encoding failed");
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace qorita::sandbox
