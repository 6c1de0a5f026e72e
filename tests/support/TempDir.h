#pragma once

// A temporary folder only its owner can enter (0700), removed with everything in
// it at the end. The tests' Firebird server runs as the same user, so it needs
// no more than that.
#include <filesystem>

namespace qorita::test {

class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

}  // namespace qorita::test
