#pragma once

#include <filesystem>
#include <string>

namespace qorita::test {

// The whole content of a file, byte for byte; empty when there is none.
std::string ReadFile(const std::filesystem::path& APath);

}  // namespace qorita::test
