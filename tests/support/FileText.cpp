#include "FileText.h"

#include <fstream>
#include <iterator>

namespace qorita::test {

std::string ReadFile(const std::filesystem::path& APath)
{
    std::ifstream in(APath, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qorita::test
