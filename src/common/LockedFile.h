#pragma once

// A small file held under an exclusive lock while it is read and rewritten
// (LockedFile.Posix.cpp with flock, LockedFile.Windows.cpp with LockFileEx).
// Created when missing. Failures raise an Exception naming the path.
#include <filesystem>
#include <string>

namespace qorita {

class TLockedFile {
public:
    // Waits for the lock.
    explicit TLockedFile(const std::filesystem::path& APath);
    ~TLockedFile();  // also ends the lock
    TLockedFile(const TLockedFile&) = delete;
    TLockedFile& operator=(const TLockedFile&) = delete;

    // The first 64 bytes.
    std::string ReadStart() const;
    // Replaces the whole content, on the disk before it returns.
    void WriteAll(const std::string& AText);

private:
    std::filesystem::path FPath;
    void* FHandle;
};

}  // namespace qorita
