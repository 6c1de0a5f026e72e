#include "common/Exception.h"

#include <cstdarg>
#include <cstdio>

namespace qorita {

std::string ComposeMessage(std::string_view AOwnLine, std::string_view AInner)
{
    std::string result;
    result.reserve(AOwnLine.size() + 2 + AInner.size());
    result.append(AOwnLine);
    result.append("\r\n");
    result.append(AInner);
    return result;
}

std::string Format(const char* AFormat, ...)
{
    va_list args;
    va_start(args, AFormat);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, AFormat, copy);
    va_end(copy);
    std::string result;
    if (length > 0) {
        result.resize(static_cast<std::size_t>(length));
        std::vsnprintf(result.data(), result.size() + 1, AFormat, args);
    }
    va_end(args);
    return result;
}

}  // namespace qorita
