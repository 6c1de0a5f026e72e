#include "TempFolder.h"

#include "common/FileSystem.h"

#include <string>
#include <system_error>

namespace qorita::support {

TTempFolder::TTempFolder(std::string_view APrefix)
{
    FPath = CreateUniqueFolder(std::filesystem::temp_directory_path(), std::string(APrefix));
}

TTempFolder::~TTempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

}  // namespace qorita::support
