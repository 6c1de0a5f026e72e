#include "TempFolder.h"

#include "common/Exception.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace qorita::support {

TTempFolder::TTempFolder(std::string_view APrefix)
{
    const std::filesystem::path parent = std::filesystem::temp_directory_path();
    std::string pattern = (parent / (std::string(APrefix) + "-XXXXXX")).string();
    // mkdtemp makes the folder with mode 0700 under a name nobody else holds.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw Exception("Cannot create a temporary folder in " + parent.string() + ": " + std::strerror(errno));
    }
    FPath = pattern;
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

}  // namespace qorita::support
