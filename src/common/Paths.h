#pragma once

// The program's text, file names included, is UTF-8. A std::filesystem::path
// made from a std::string would read it in the system's narrow encoding (on
// Windows the ANSI code page, where "Società" is not what the user wrote), so
// paths are made from and turned back into UTF-8 only here.
#include <filesystem>
#include <string>
#include <string_view>

namespace qorita {

std::filesystem::path PathFromUtf8(std::string_view AText);
std::string Utf8FromPath(const std::filesystem::path& APath);

}  // namespace qorita
