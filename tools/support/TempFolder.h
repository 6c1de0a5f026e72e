#pragma once

#include <filesystem>
#include <string_view>

namespace qorita::support {

// A fresh folder under the system's temporary folder (TMPDIR), open to its
// owner only (0700), removed with everything in it at the end.
class TTempFolder {
public:
    // The folder is named APrefix, "-" and six random characters.
    explicit TTempFolder(std::string_view APrefix = "qorita");
    ~TTempFolder();
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

}  // namespace qorita::support
