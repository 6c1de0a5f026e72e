#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace qorita {

// The program's one error type. It carries the message text that ends up on the
// console or in an outcome column, exactly as composed.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& AMessage) : std::runtime_error(AMessage) {}

    std::string Message() const { return what(); }
};

// Context is added by putting the program's own line first, then CR LF, then the
// underlying message taken literally.
std::string ComposeMessage(std::string_view AOwnLine, std::string_view AInner);

// Formats like printf into a std::string; used for the program's fixed messages.
// The C99 conversions (%zu, %lld) everywhere: on Windows through MinGW's own
// printf (__USE_MINGW_ANSI_STDIO), which gnu_printf checks.
std::string Format(const char* AFormat, ...) __attribute__((format(gnu_printf, 1, 2)));

}  // namespace qorita
