#pragma once

// Lines on standard output end with CR LF; a message holding line breaks is
// written as several lines. Text goes out as UTF-8.
#include <cstdio>
#include <string_view>

namespace qorita {

void WriteLines(std::FILE* AStream, std::string_view AMessage);
inline void WriteLines(std::string_view AMessage) { WriteLines(stdout, AMessage); }

}  // namespace qorita
