#pragma once

// The SOAP 1.1 request envelope in document style: the body holds one wrapper
// element named after the operation, in the wrapper namespace, whose children
// are the parameters as character data.

#include <string>
#include <string_view>
#include <vector>

namespace qorita::labelservice {

struct TSoapParameter {
    std::string Name;
    std::string Value;
};

// UTF-8 text starting with <?xml version="1.0"?>, no encodingStyle, no
// xsi:type, no added whitespace; a parser of the envelope gives back each
// value exactly. Fails when a value holds a character XML 1.0 cannot carry.
std::string BuildEnvelope(std::string_view AOperation, std::string_view AWrapperNamespace,
                          const std::vector<TSoapParameter>& AParameters);

}  // namespace qorita::labelservice
