#include "data/fb/NamedSql.h"

#include "common/Text.h"

#include <algorithm>
#include <cctype>

namespace qorita::fb {
namespace {

bool IsNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$'; }

// Copies a quoted run starting at APos (the opening quote) and returns the
// position after it; a doubled quote inside stays part of the run.
std::size_t CopyQuoted(std::string_view ASql, std::size_t APos, std::string& AOut)
{
    const char quote = ASql[APos];
    std::size_t i = APos + 1;
    while (i < ASql.size()) {
        if (ASql[i] == quote) {
            if (i + 1 < ASql.size() && ASql[i + 1] == quote) {
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        ++i;
    }
    AOut.append(ASql.substr(APos, i - APos));
    return i;
}

}  // namespace

TNamedSql TranslateNamedSql(std::string_view ASql)
{
    TNamedSql result;
    result.PositionalSql.reserve(ASql.size());
    std::size_t i = 0;
    while (i < ASql.size()) {
        const char c = ASql[i];
        if (c == '\'' || c == '"') {
            i = CopyQuoted(ASql, i, result.PositionalSql);
        } else if (c == '-' && i + 1 < ASql.size() && ASql[i + 1] == '-') {
            const std::size_t end = std::min(ASql.find('\n', i), ASql.size());
            result.PositionalSql.append(ASql.substr(i, end - i));
            i = end;
        } else if (c == '/' && i + 1 < ASql.size() && ASql[i + 1] == '*') {
            const std::size_t close = ASql.find("*/", i + 2);
            const std::size_t end = close == std::string_view::npos ? ASql.size() : close + 2;
            result.PositionalSql.append(ASql.substr(i, end - i));
            i = end;
        } else if (c == ':' && i + 1 < ASql.size() && IsNameStart(ASql[i + 1])) {
            std::size_t end = i + 1;
            while (end < ASql.size() && IsNameChar(ASql[end])) ++end;
            std::string name = UpperAscii(ASql.substr(i + 1, end - i - 1));
            if (std::find(result.Names.begin(), result.Names.end(), name) == result.Names.end()) {
                result.Names.push_back(name);
            }
            result.ParameterAtPosition.push_back(std::move(name));
            result.PositionalSql += '?';
            i = end;
        } else {
            result.PositionalSql += c;
            ++i;
        }
    }
    return result;
}

}  // namespace qorita::fb
