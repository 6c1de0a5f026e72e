#pragma once

// Statement text as the server reads it: words, named parameters (":NAME"),
// quoted strings ('...'), quoted identifiers ("..."), comments (-- and /* */)
// and the rest. The one scanner of the program's SQL: the translator below and
// the schema check both read statements through it, so a colon or a name
// inside a literal or a comment is never taken for a parameter or a column.
//
// The translator turns named parameters into the positional form ("?") that
// the server takes. A name used several times takes one value at every
// position. Everything else is copied unchanged.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qorita::fb {

enum class TSqlTokenKind {
    Word,         // letters, digits, "_" and "$" (numbers too)
    Parameter,    // ":NAME"; Text holds the upper-cased name
    Literal,      // '...', quotes included
    Identifier,   // "...", quotes included
    Comment,      // -- to the end of the line, or /* ... */
    Blank,        // one space, tab, CR or LF
    Punctuation,  // any other single character
};

struct TSqlToken {
    TSqlTokenKind Kind;
    std::string_view Text;  // the statement's own text, except for Parameter
    std::string Name;       // Parameter: the upper-cased name
};

std::vector<TSqlToken> SqlTokens(std::string_view ASql);

struct TNamedSql {
    std::string PositionalSql;
    // The upper-cased name of each "?" in order of appearance.
    std::vector<std::string> ParameterAtPosition;
    // The distinct names, in order of first appearance.
    std::vector<std::string> Names;
};

TNamedSql TranslateNamedSql(std::string_view ASql);

}  // namespace qorita::fb
