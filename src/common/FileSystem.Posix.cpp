#include "common/FileSystem.h"

#include "common/Exception.h"
#include "common/SystemError.h"

#include <dirent.h>
#include <stdlib.h>

#include <cerrno>
#include <memory>

namespace qorita {
namespace {

struct TDirClose {
    void operator()(DIR* ADir) const noexcept { ::closedir(ADir); }
};

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& APath, const char* AMode) { return std::fopen(APath.c_str(), AMode); }

bool ListFolder(const std::filesystem::path& APath, std::vector<std::string>& ANames)
{
    const std::unique_ptr<DIR, TDirClose> folder(::opendir(APath.c_str()));
    if (!folder) {
        if (errno == ENOENT) return false;
        throw Exception(Format("Lettura della cartella %s: %s", APath.c_str(), ErrnoText(errno).c_str()));
    }
    while (const dirent* item = ::readdir(folder.get())) {
        const std::string name = item->d_name;
        if (name != "." && name != "..") ANames.push_back(name);
    }
    return true;
}

std::filesystem::path CreateUniqueFolder(const std::filesystem::path& AParent, const std::string& APrefix)
{
    std::string pattern = (AParent / (APrefix + "-XXXXXX")).string();
    // mkdtemp makes the folder with mode 0700 under a name nobody else holds.
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw Exception(
            Format("Cannot create a temporary folder in %s: %s", AParent.c_str(), ErrnoText(errno).c_str()));
    }
    return pattern;
}

}  // namespace qorita
