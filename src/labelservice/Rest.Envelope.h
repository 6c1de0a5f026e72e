#pragma once

// The SOAP 1.1 request envelope in document style: the body holds one wrapper
// element named after the operation, in the wrapper namespace, whose children
// are the parameters as escaped character data.

#include <string>
#include <string_view>
#include <vector>

namespace qorita::labelservice {

struct TSoapParameter {
    std::string Name;
    std::string Value;
};

// UTF-8 text starting with <?xml version="1.0"?>, no encodingStyle, no
// xsi:type. Fails when a value holds a character XML 1.0 cannot carry.
std::string BuildEnvelope(std::string_view AOperation, std::string_view AWrapperNamespace,
                          const std::vector<TSoapParameter>& AParameters);

// Character data escaped so that an XML parser gives back exactly AText:
// & < > and CR (which parsers would turn into LF) become references; in
// attribute values " too.
std::string EscapeXml(std::string_view AText, bool AInAttribute = false);

}  // namespace qorita::labelservice
