#include "TempDir.h"

#include <stdlib.h>

#include <cerrno>
#include <stdexcept>
#include <string>
#include <system_error>

namespace qorita::test {

TTempDir::TTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qorita-test-XXXXXX").string();
    // mkdtemp makes the folder 0700, under a name nobody else holds.
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::system_error(errno, std::generic_category(), "Cannot create a temporary folder " + pattern);
    }
    FPath = pattern;
}

TTempDir::~TTempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

}  // namespace qorita::test
