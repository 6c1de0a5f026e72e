#include "data/fb/NamedSql.h"

#include "common/Text.h"

#include <algorithm>
#include <cctype>

namespace qorita::fb {
namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

// The position after the quoted run that starts at APos (the opening quote); a
// doubled quote inside stays part of the run.
std::size_t QuotedEnd(std::string_view ASql, std::size_t APos)
{
    const char quote = ASql[APos];
    std::size_t i = APos + 1;
    while (i < ASql.size()) {
        if (ASql[i] == quote) {
            if (i + 1 < ASql.size() && ASql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

}  // namespace

std::vector<TSqlToken> SqlTokens(std::string_view ASql)
{
    std::vector<TSqlToken> tokens;
    std::size_t i = 0;
    while (i < ASql.size()) {
        const char c = ASql[i];
        TSqlTokenKind kind = TSqlTokenKind::Punctuation;
        std::size_t end = i + 1;
        std::string name;
        if (c == '\'' || c == '"') {
            kind = c == '\'' ? TSqlTokenKind::Literal : TSqlTokenKind::Identifier;
            end = QuotedEnd(ASql, i);
        } else if (c == '-' && i + 1 < ASql.size() && ASql[i + 1] == '-') {
            kind = TSqlTokenKind::Comment;
            end = std::min(ASql.find('\n', i), ASql.size());
        } else if (c == '/' && i + 1 < ASql.size() && ASql[i + 1] == '*') {
            kind = TSqlTokenKind::Comment;
            const std::size_t close = ASql.find("*/", i + 2);
            end = close == std::string_view::npos ? ASql.size() : close + 2;
        } else if (c == ':' && i + 1 < ASql.size() && IsNameStart(ASql[i + 1])) {
            kind = TSqlTokenKind::Parameter;
            end = i + 1;
            while (end < ASql.size() && IsNameChar(ASql[end])) ++end;
            name = UpperAscii(ASql.substr(i + 1, end - i - 1));
        } else if (IsNameChar(c)) {
            kind = TSqlTokenKind::Word;
            while (end < ASql.size() && IsNameChar(ASql[end])) ++end;
        } else if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            kind = TSqlTokenKind::Blank;
        }
        tokens.push_back({kind, ASql.substr(i, end - i), std::move(name)});
        i = end;
    }
    return tokens;
}

TNamedSql TranslateNamedSql(std::string_view ASql)
{
    TNamedSql result;
    result.PositionalSql.reserve(ASql.size());
    for (TSqlToken& token : SqlTokens(ASql)) {
        if (token.Kind != TSqlTokenKind::Parameter) {
            result.PositionalSql.append(token.Text);
            continue;
        }
        if (std::find(result.Names.begin(), result.Names.end(), token.Name) == result.Names.end()) {
            result.Names.push_back(token.Name);
        }
        result.ParameterAtPosition.push_back(std::move(token.Name));
        result.PositionalSql += '?';
    }
    return result;
}

}  // namespace qorita::fb
