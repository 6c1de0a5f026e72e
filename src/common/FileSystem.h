#pragma once

// File-system calls the standard library lacks or gets wrong for UTF-8 names
// (FileSystem.Posix.cpp, FileSystem.Windows.cpp). Paths reach the Windows API
// wide, never through the ANSI code page.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace qorita {

// std::fopen for a path. AMode may hold 'x': create the file, failing when the
// name exists (as a link too, which is never followed). nullptr with errno set
// on failure.
std::FILE* OpenFile(const std::filesystem::path& APath, const char* AMode);

// The names in a folder ("." and ".." left out), as UTF-8; false when the
// folder does not exist. Other failures raise an Exception naming the folder.
bool ListFolder(const std::filesystem::path& APath, std::vector<std::string>& ANames);

// Creates a folder that did not exist, named APrefix, "-" and six random
// characters, in AParent; only its owner may use it (mode 0700; on Windows the
// user's temporary folder gives it that already). Raises an Exception when it
// cannot.
std::filesystem::path CreateUniqueFolder(const std::filesystem::path& AParent, const std::string& APrefix);

}  // namespace qorita
