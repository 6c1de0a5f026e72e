#pragma once

// Turns statement text with named parameters (":NAME") into the positional form
// ("?") that the server takes. A name used several times takes one value at
// every position. Quoted strings ('...'), quoted identifiers ("...") and
// comments (-- and /* */) are copied unchanged, so a colon inside them is not a
// parameter.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::fb {

struct TNamedSql {
    std::string PositionalSql;
    // The upper-cased name of each "?" in order of appearance.
    std::vector<std::string> ParameterAtPosition;
    // The distinct names, in order of first appearance.
    std::vector<std::string> Names;
};

TNamedSql TranslateNamedSql(std::string_view ASql);

}  // namespace qorita::fb
